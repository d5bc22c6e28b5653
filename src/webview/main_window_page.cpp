#include "webview/main_window_page.h"

#include "core/debug_log.h"
#include "core/sdk_runtime.h"
#include "webview/webview_event_dispatcher.h"

namespace VemoSDK {
namespace {

// A page asking to close does so from inside its own message handler; the
// host goes once that handler has returned.
void CALLBACK closeLater(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  MainWindowPage::instance().close();
}

}  // namespace

MainWindowPage& MainWindowPage::instance() {
  static MainWindowPage page;
  return page;
}

void MainWindowPage::open(const std::string& url, const std::string& injection, const std::string& options) {
  HWND parent = vmsdk_get_main_hwnd();
  if (!parent || !IsWindow(parent)) {
    vemo_debug_print("wv===>open: no host window");
    return;
  }
  host_.reset();
  closeEventData_ = WebViewPageOptions::fromText(options.c_str()).closeEventData;
  WebViewSettingsMap settings{{"injection", injection.c_str()}, {"options", options.c_str()}};
  host_ = std::make_unique<VemoWebView>(parent, url, 0, 0, 0, 0, settings, this, false);
}

bool MainWindowPage::close() {
  if (!host_) return false;
  std::string url = host_->currentUrl();
  host_.reset();
  WebViewEventDispatcher::postCloseEvent(url, closeEventData_);
  return true;
}

void MainWindowPage::onWebViewCreated(bool ok) {
  vemo_debug_printf("wv===>page created: %s\n", ok ? "ok" : "failed");
}

cJSON* MainWindowPage::onWebMessage(const std::string&, const std::string& name, const cJSON*) {
  if (name == "closeBrowser") SetTimer(nullptr, 0, 0, closeLater);
  return nullptr;
}

}  // namespace VemoSDK
