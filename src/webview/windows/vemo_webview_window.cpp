// A web view window's life: registration, the host's notifications, the
// page's requests, the close button and the load watchdog, open and close.
#include "webview/windows/vemo_webview_window.h"

#include "core/debug_log.h"
#include "core/win_utils.h"
#include "webview/window_work.h"
#include "webview/windows/ui_timers.h"
#include "webview/windows/vemo_webview_close_view.h"
#include "webview/windows/webview_window_registry.h"

#include <algorithm>
#include <cstring>

namespace VemoSDK {

bool isWindowAlive(const VemoWebViewWindow* window) { return webViewWindows().live.count(window) != 0; }

namespace {

bool isSameWindowAlive(const VemoWebViewWindow* window, uint64_t serial) {
  auto& live = webViewWindows().live;
  auto found = live.find(window);
  return found != live.end() && found->second == serial;
}

}  // namespace

VemoWebViewWindow::VemoWebViewWindow(HWND parent, int kind, const WebViewSettingsMap& params)
    : kind(kind), parentWnd(parent) {
  WebViewWindowRegistry& registry = webViewWindows();
  registry.live[this] = ++registry.lastSerial;
  auto callback = params.find("close_callback");
  if (callback != params.end() && callback->second)
    closeCallback = *static_cast<const WebViewWindowCloseCallback*>(callback->second);
  if (!parent || !IsWindow(parent)) return;
  GetClientRect(parent, &parentClientRect);
  registry.byParent[parent].push_back(this);
  if (!registry.mouseHook)
    registry.mouseHook.reset(SetWindowsHookExW(WH_MOUSE, onMouse, nullptr, GetCurrentThreadId()));
  winEventHook.reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_LOCATIONCHANGE, nullptr, onWinEvent,
                                     GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT));
}

VemoWebViewWindow::~VemoWebViewWindow() {
  // A concrete class has closed by now; whatever it left goes here, so no
  // hook, timer or registry entry points at a destroyed window.
  UiTimers::cancelOwner(this);
  winEventHook.reset();
  closeView.reset();
  leaveHandleMap();
  leaveParent();
  webViewWindows().live.erase(this);
}

void VemoWebViewWindow::leaveParent() {
  WebViewWindowRegistry& registry = webViewWindows();
  auto list = registry.byParent.find(parentWnd);
  if (list != registry.byParent.end()) {
    std::vector<VemoWebViewWindow*>& windows = list->second;
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    if (windows.empty()) registry.byParent.erase(list);
  }
  if (registry.byParent.empty()) registry.mouseHook.reset();
}

void VemoWebViewWindow::leaveHandleMap() {
  if (!hwnd) return;
  auto& byHandle = webViewWindows().byHandle;
  auto found = byHandle.find(hwnd);
  if (found != byHandle.end() && found->second == this) byHandle.erase(found);
}

VemoWebViewWindow* VemoWebViewWindow::fromHandle(HWND window) {
  auto& byHandle = webViewWindows().byHandle;
  auto found = byHandle.find(window);
  return found == byHandle.end() ? nullptr : found->second;
}

std::vector<VemoWebViewWindow*> VemoWebViewWindow::windowsOn(HWND parent) {
  auto& byParent = webViewWindows().byParent;
  auto found = byParent.find(parent);
  return found == byParent.end() ? std::vector<VemoWebViewWindow*>() : found->second;
}

HHOOK VemoWebViewWindow::mouseHook() { return webViewWindows().mouseHook.get(); }

void VemoWebViewWindow::onWebViewCreated(bool ok) {
  vemo_debug_printf("wv===>page created: %s\n", ok ? "ok" : "failed");
  if (ok) {
    loadState = kWindowWebViewCreated;
  } else {
    setCloseButtonVisible(true);
  }
}

void VemoWebViewWindow::onNavigationStarting() {
  loadState = kWindowNavigationStarted;
  setCloseButtonVisible(!hideCloseButton);
  startLoadWatchdog();
}

void VemoWebViewWindow::onNavigationCompleted(bool ok) {
  loadState = kWindowNavigationCompleted;
  if (!ok) setCloseButtonVisible(true);
}

// The watchdog is a timer of this thread's message loop, so it reads the
// load state and shows the button where both live; a later navigation
// starts it anew.
void VemoWebViewWindow::startLoadWatchdog() {
  if (loadWatchdog_) UiTimers::cancel(loadWatchdog_);
  loadWatchdog_ = UiTimers::once(kLoadWatchdogMs, this, [this] { onLoadWatchdog(); });
}

void VemoWebViewWindow::onLoadWatchdog() {
  loadWatchdog_ = 0;
  vemo_debug_printf("timerCallback web current load state %d\n", loadState);
  if (loadState < kWindowNavigationCompleted) setCloseButtonVisible(true);
}

cJSON* VemoWebViewWindow::onWebMessage(const std::string&, const std::string& name, const cJSON* args) {
  if (name == "nativeAction") {
    const cJSON* member = nullptr;
    cJSON_ArrayForEach(member, args) {
      if (!member->string || std::strcmp(member->string, "showCloseButton") != 0) continue;
      bool show = cJSON_IsTrue(member);
      hideCloseButton = !show;
      setCloseButtonVisible(show);
    }
  } else if (name == "closeBrowser") {
    vemo_debug_print(hwnd || parentWnd ? "wv===>SetTimer DelayedClose" : "wv===>target_hwnd is nil and close");
    // Still offered should the close not happen.
    setCloseButtonVisible(true);
    closeLater();
  }
  return nullptr;
}

void VemoWebViewWindow::closeLater() {
  uint64_t serial = webViewWindows().live[this];
  UINT_PTR timer = UiTimers::once(1, this, [this, serial] {
    // The job may be posted to the host's loop: the window may be gone by then.
    runWindowWork([this, serial] {
      if (!isSameWindowAlive(this, serial)) return;
      vemo_debug_print("wv===>delayed close");
      close();
    });
  });
  if (!timer) close();
}

void VemoWebViewWindow::setCloseButtonVisible(bool visible) {
  if (closeView) closeView->setVisible(visible);
}

void VemoWebViewWindow::refreshCloseButton() {
  if (closeView && closeView->visible()) setCloseButtonVisible(true);
}

void VemoWebViewWindow::setBounds(int, int, int, int) {}

WebViewWindowBounds VemoWebViewWindow::getBounds() { return WebViewWindowBounds{x, y, width, height}; }

bool VemoWebViewWindow::callbackJs(const std::string&, const std::string&) { return false; }

void VemoWebViewWindow::open(const std::string&, const WebViewSettingsMap&) {
  HWND created = createWindow();
  if (!created) return;
  hwnd = created;
  webViewWindows().byHandle[hwnd] = this;
  RECT client = {};
  GetClientRect(hwnd, &client);
  RECT button = {client.right - VemoWebViewCloseView::kSize, 0, client.right, VemoWebViewCloseView::kSize};
  // The button's own procedure must return before the window goes.
  closeView = std::make_unique<VemoWebViewCloseView>(hwnd, button, [this] { closeLater(); });
  // Windows 7 paints a parent over its child web views unless it clips them.
  if (is_windows7() && kind != kBrowserWindow && parentWnd && IsWindow(parentWnd)) {
    LONG style = GetWindowLongW(parentWnd, GWL_STYLE);
    if (!(style & WS_CLIPCHILDREN)) {
      SetWindowLongW(parentWnd, GWL_STYLE, style | WS_CLIPCHILDREN);
      addedClipChildren = 1;
      UpdateWindow(parentWnd);
    }
  }
}

void VemoWebViewWindow::show() {}

void VemoWebViewWindow::hide() {}

int VemoWebViewWindow::close() {
  winEventHook.reset();
  closeView.reset();
  if (loadWatchdog_) UiTimers::cancel(loadWatchdog_);
  loadWatchdog_ = 0;
  leaveParent();
  if (hwnd) {
    leaveHandleMap();
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    hwnd = nullptr;
  }
  if (addedClipChildren) {
    LONG style = IsWindow(parentWnd) ? GetWindowLongW(parentWnd, GWL_STYLE) : 0;
    if (style & WS_CLIPCHILDREN) {
      SetWindowLongW(parentWnd, GWL_STYLE, style & ~WS_CLIPCHILDREN);
      UpdateWindow(parentWnd);
    }
    addedClipChildren = 0;
  }
  if (parentWnd && IsWindow(parentWnd)) {
    vemo_debug_printf("wv===>SetForegroundWindow _parent_wnd %p\n", static_cast<void*>(parentWnd));
    SetForegroundWindow(parentWnd);
    SetActiveWindow(parentWnd);
    SetFocus(parentWnd);
  }
  // Taken out first: the callback may delete this window, and a second
  // close must not run it again.
  WebViewWindowCloseCallback callback = std::move(closeCallback);
  closeCallback = nullptr;
  if (!callback) return 0;
  callback();
  return 1;
}

void VemoWebViewWindow::executeScript(const std::string&, std::function<void(const std::string&)>) {}

void VemoWebViewWindow::onParentClick(POINT) {}

bool VemoWebViewWindow::loadUrl(const std::string&) { return false; }

}  // namespace VemoSDK
