#include "webview/windows/vemo_browser_opener.h"

#include "core/debug_log.h"
#include "core/sdk_runtime.h"
#include "webview/webview_json.h"
#include "webview/window_work.h"
#include "webview/windows/vemo_browser.h"
#include "webview/windows/vemo_floater.h"

#include <cstring>
#include <utility>

namespace VemoSDK {
namespace {

constexpr const char* kDefaultWebViewId = "Default";

std::string cacheKey(const char* webviewId) { return webviewId && *webviewId ? webviewId : kDefaultWebViewId; }

const char* requestId(const cJSON* request) {
  const cJSON* id = cJSON_GetObjectItemCaseSensitive(request, "webview_id");
  return cJSON_IsString(id) ? id->valuestring : nullptr;
}

// Never destroyed by a static destructor: windows still open at exit go
// with the process, not through window calls on a dying thread.
template <class Opener>
Opener& lastingOpener() {
  static struct Holder {
    std::unique_ptr<Opener> opener = std::make_unique<Opener>();
    ~Holder() { (void)opener.release(); }
  } holder;
  return *holder.opener;
}

}  // namespace

VemoBrowserOpener& VemoBrowserOpener::browserOpener() { return lastingOpener<VemoBrowserOpener>(); }

VemoBrowserOpener& VemoBrowserOpener::communityOpener() { return lastingOpener<VemoCommunityOpener>(); }

VemoBrowserOpener& VemoBrowserOpener::forRequest(const cJSON* request) {
  const char* id = requestId(request);
  bool community = (id && std::strcmp(id, "community") == 0) ||
                   cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(request, "enable_multi_instance"));
  return community ? communityOpener() : browserOpener();
}

VemoBrowserOpener::~VemoBrowserOpener() = default;

std::unique_ptr<VemoWebViewWindow> VemoBrowserOpener::makeWindow(HWND mainWindow, const std::string& url,
                                                                 WebViewSettingsMap& params) {
  RECT client = {};
  GetClientRect(mainWindow, &client);
  vemo::JsonPtr data(cJSON_CreateObject());
  cJSON_AddNumberToObject(data.get(), "draggable", 0);
  cJSON_AddNumberToObject(data.get(), "auto_scaling", 1);
  cJSON* padding = cJSON_AddObjectToObject(data.get(), "drag_padding");
  cJSON_AddNumberToObject(padding, "left", 0);
  cJSON_AddNumberToObject(padding, "top", 0);
  cJSON_AddNumberToObject(padding, "right", client.right);
  cJSON_AddNumberToObject(padding, "bottom", client.bottom);
  cJSON_AddNumberToObject(cJSON_AddObjectToObject(data.get(), "options"), "enable_loading", 1);
  params["params_data"] = data.get();  // read by the constructor
  return std::make_unique<VemoFloater>(mainWindow, kOpenerFloater, url, 0, 0, client.right, client.bottom, params);
}

std::unique_ptr<VemoWebViewWindow> VemoCommunityOpener::makeWindow(HWND mainWindow, const std::string& url,
                                                                   WebViewSettingsMap& params) {
  auto browser = std::make_unique<VemoBrowser>(mainWindow, url, params);
  if (std::unique_ptr<VemoBrowser> prepared = takePreparedFor(url)) browser->takePrepared(*prepared);
  return browser;
}

std::unique_ptr<VemoBrowser> VemoBrowserOpener::takePreparedFor(const std::string& url) {
  if (!prepared_ || !VemoWebView::isFileUrl(url)) return nullptr;
  return std::move(prepared_);
}

void VemoBrowserOpener::open(const std::string& url, const std::string& injection, const std::string& options) {
  runWindowWork([this, url, injection, options] {
    vemo_debug_printf("pthread_func_vemo_webview_open url=%s\n", url.c_str());
    performClose();
    HWND mainWindow = vmsdk_get_main_hwnd();
    if (!mainWindow || !IsWindow(mainWindow)) return;
    WebViewSettingsMap params{{"injection", injection.c_str()}, {"options", options.c_str()}};
    // Filled in once the window exists: the callback names that window.
    auto closing = std::make_shared<const VemoWebViewWindow*>(nullptr);
    WebViewWindowCloseCallback onClose = [this, closing] { forget(*closing); };
    params["close_callback"] = &onClose;
    std::unique_ptr<VemoWebViewWindow> window = makeWindow(mainWindow, url, params);
    *closing = window.get();
    current_ = std::move(window);
    VemoWebViewWindow* opened = current_.get();
    opened->open(url, params);
    if (isWindowAlive(opened) && current_.get() == opened) opened->show();
  });
}

void VemoBrowserOpener::forget(const VemoWebViewWindow* closing) {
  std::unique_ptr<VemoWebViewWindow> gone;
  if (closing && current_.get() == closing) gone = std::move(current_);
  for (auto entry = hideCache_.begin(); !gone && entry != hideCache_.end(); ++entry) {
    if (entry->second.get() != closing) continue;
    gone = std::move(entry->second);
    hideCache_.erase(entry);
    break;
  }
  // The window's close has finished with it by now: the callback is its last step.
}

void VemoBrowserOpener::performClose() {
  std::unique_ptr<VemoWebViewWindow> window = std::move(current_);
  vemo_debug_printf("performClose current_browser%p\n", static_cast<void*>(window.get()));
  if (window) window->close();  // its callback finds it no longer current
}

void VemoBrowserOpener::discard(std::unique_ptr<VemoWebViewWindow> window) {
  if (!window) return;
  // Deleted on the UI thread, where its destructor closes it.
  std::shared_ptr<VemoWebViewWindow> owned(std::move(window));
  runWindowWork([owned]() mutable { owned.reset(); });
}

bool VemoBrowserOpener::close() {
  if (!current_) return false;
  runWindowWork([this] { performClose(); });
  return true;
}

bool VemoBrowserOpener::hide(const cJSON* request) {
  if (!current_) return false;
  std::string key = cacheKey(requestId(request));
  if (hideCache_.count(key)) {
    // The id keeps its first window; this one is not kept, so it closes.
    runWindowWork([this] { performClose(); });
    return true;
  }
  VemoWebViewWindow* window = current_.get();
  hideCache_[key] = std::move(current_);
  runWindowWork([window] {
    if (isWindowAlive(window)) window->hide();
  });
  return true;
}

std::unique_ptr<VemoWebViewWindow> VemoBrowserOpener::takeWindow(const char* webviewId) {
  auto found = hideCache_.find(cacheKey(webviewId));
  if (found == hideCache_.end()) return nullptr;
  std::unique_ptr<VemoWebViewWindow> window = std::move(found->second);
  hideCache_.erase(found);
  return window;
}

bool VemoBrowserOpener::show(const cJSON* request) {
  const cJSON* script = cJSON_GetObjectItemCaseSensitive(request, "call_js_script");
  std::string js = cJSON_IsString(script) ? script->valuestring : "";
  std::unique_ptr<VemoWebViewWindow> cached = takeWindow(requestId(request));
  if (!cached && !current_) return false;
  bool found = cached != nullptr;
  if (found) {
    discard(std::move(current_));
    current_ = std::move(cached);
  }
  VemoWebViewWindow* window = current_.get();
  runWindowWork([window, found] {
    if (!isWindowAlive(window)) return;
    if (found) {
      window->show();
    } else if (auto* browser = dynamic_cast<VemoBrowser*>(window)) {
      browser->restore();
    }
  });
  if (!js.empty()) callJs(js);
  return found;
}

void VemoBrowserOpener::prepare(const cJSON* request) {
  const cJSON* flags = cJSON_GetObjectItemCaseSensitive(request, "webview_flags");
  std::string text = cJSON_IsString(flags) ? flags->valuestring : "";
  runWindowWork([this, text] {
    if (prepared_) return;
    auto browser = std::make_unique<VemoBrowser>();
    if (browser->prepare(text)) prepared_ = std::move(browser);
  });
}

bool VemoBrowserOpener::callJs(const std::string& script) {
  if (!current_ || script.empty()) return false;
  VemoWebViewWindow* window = current_.get();
  runWindowWork([window, script] {
    if (isWindowAlive(window)) window->executeScript(script, nullptr);
  });
  return true;
}

bool VemoBrowserOpener::callbackJs(const std::string& data, const std::string& extra) {
  return current_ && current_->callbackJs(data, extra);
}

bool VemoBrowserOpener::loadUrl(const std::string& url) { return current_ && current_->loadUrl(url); }

}  // namespace VemoSDK
