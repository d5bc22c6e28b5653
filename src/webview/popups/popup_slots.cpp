#include "webview/popups/popup_slots.h"

#include "core/debug_log.h"
#include "core/sdk_runtime.h"
#include "webview/popups/vemo_alert.h"
#include "webview/popups/vemo_loading.h"
#include "webview/popups/vemo_toast.h"
#include "webview/window_work.h"

#include <memory>

namespace VemoSDK {
namespace {

// The slots are the pop-ups' only owners; a job queued for the UI thread
// keeps its pop-up alive until it has run.
std::shared_ptr<VemoAlert>& currentAlert() {
  static std::shared_ptr<VemoAlert> alert;
  return alert;
}
std::shared_ptr<VemoLoading>& currentLoading() {
  static std::shared_ptr<VemoLoading> loading;
  return loading;
}
std::shared_ptr<VemoToast>& currentToast() {
  static std::shared_ptr<VemoToast> toast;
  return toast;
}

void onUiThread(const char* what, std::function<void()> work) {
  vemo_debug_print(what);
  vemo_debug_print(vemosdk_get_main_thread_handler() ? "main_thread_handler is not null \n"
                                                     : "main_thread_handler is  null, go origin method \n");
  runWindowWork(std::move(work));
}

RECT windowRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

}  // namespace

bool show_alert(const std::string& title, const std::string& message, int kind, const std::string& first,
                const std::string& second, int64_t callbackId, int messageHeight, const std::string& alignType) {
  if (currentAlert()) {
    vemo_debug_print("[vemosdk]:current a modal dialog is showing");
    return false;
  }
  HWND main = vmsdk_get_main_hwnd();
  RECT outer = windowRect(main);
  RECT client = {};
  GetClientRect(main, &client);
  MapWindowPoints(main, nullptr, reinterpret_cast<POINT*>(&client), 2);
  vemo_debug_printf("wv===>show_alert,alertRect: left = %d, top = %d, right = %d, bottom = %d", int(outer.left),
                    int(outer.top), int(outer.right), int(outer.bottom));
  vemo_debug_printf("wv===>show_alert,rcClient: left = %d, top = %d, right = %d, bottom = %d", int(client.left),
                    int(client.top), int(client.right), int(client.bottom));
  auto alert = std::make_shared<VemoAlert>(main, client.left, outer.top, client.right, client.bottom, WS_POPUP, 400,
                                           messageHeight + 140);
  std::weak_ptr<VemoAlert> weak = alert;
  alert->setCloseCallback([weak] {
    vemo_debug_print("vemo_alert_hide_callback ------");
    if (currentAlert() && currentAlert() == weak.lock()) currentAlert().reset();
  });
  alert->setCentred(alignType == "center");
  currentAlert() = alert;
  onUiThread("thread_safe_show --- called\n", [alert, title, message, kind, first, second, callbackId] {
    vemo_debug_print("show_safe --- called\n");
    alert->show(title, message, kind, first, second, callbackId);
  });
  return true;
}

void vmsdk_modal_close() {
  std::shared_ptr<VemoAlert> alert = std::move(currentAlert());
  currentAlert().reset();
  if (!alert) return;
  onUiThread("thread_safe_hide --- called\n", [alert] {
    vemo_debug_print("alert_hide_safe --- called\n");
    alert->destroy();
  });
}

void vmsdk_loading_show() {
  if (currentLoading()) {
    vemo_debug_print("[vemosdk]:current a loading dialog is showing");
    return;
  }
  auto loading = std::make_shared<VemoLoading>(vmsdk_get_main_hwnd());
  currentLoading() = loading;
  onUiThread("thread_safe_show --- called\n", [loading] {
    vemo_debug_print("show_safe --- called\n");
    loading->show();
  });
}

void vmsdk_loading_hide() {
  std::shared_ptr<VemoLoading> loading = std::move(currentLoading());
  currentLoading().reset();
  if (!loading) return;
  onUiThread("thread_safe_hide --- called\n", [loading] {
    vemo_debug_print("loading_hide_safe --- called\n");
    loading->hide();
  });
}

void vmsdk_toast_open(const std::string& text, int messageHeight) {
  if (text.empty()) {
    std::shared_ptr<VemoToast> toast = std::move(currentToast());
    currentToast().reset();
    if (!toast) return;
    onUiThread("thread_safe_hide --- called\n", [toast] {
      vemo_debug_print("toast_hide_safe --- called\n");
      toast->hide();
    });
    return;
  }
  std::shared_ptr<VemoToast> toast = currentToast();
  if (!toast) {
    HWND main = vmsdk_get_main_hwnd();
    RECT area = windowRect(main);
    toast = std::make_shared<VemoToast>(main, area.left, area.top, area.right, area.bottom, WS_POPUP, 400,
                                        messageHeight + 25);
    std::weak_ptr<VemoToast> weak = toast;
    toast->setCloseCallback([weak] {
      if (currentToast() && currentToast() == weak.lock()) currentToast().reset();
    });
    currentToast() = toast;
  }
  onUiThread("thread_safe_show --- called\n", [toast, text] {
    vemo_debug_print("show_safe --- called\n");
    toast->show(text);
  });
}

}  // namespace VemoSDK
