// Navigation of a host: loading URLs, the error page and the fallback URL,
// and the page events Lua hears of.
#include "core/owners.h"
#include "webview/vemo_webview.h"

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/path_utils.h"
#include "core/system_clock.h"
#include "core/text_convert.h"
#include "webview/url_encoding.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_load_error.h"
#include "webview/webview_runtime_discovery.h"

#include <algorithm>
#include <cstring>

namespace VemoSDK {
namespace {

constexpr const char* kErrorPagePath = "/VemoPages/vemo_error.html";

const char* withoutHttpScheme(const char* url) {
  if (std::strncmp(url, "http://", 7) == 0) return url + 7;
  if (std::strncmp(url, "https://", 8) == 0) return url + 8;
  return url;
}

}  // namespace

bool VemoWebView::isEqualUrl(const char* a, const char* b) {
  if (!a || !b) {
    vemo_debug_print("isEqualUrl, urla or urlb may be nil");
    return false;
  }
  return std::strcmp(withoutHttpScheme(a), withoutHttpScheme(b)) == 0;
}

void VemoWebView::postEvent(const char* eventName, int64_t code, cJSON* json) {
  vemo::JsonPtr owned(json);
  std::string text = owned ? printJson(owned.get(), true) : "";
  postLuaEvent(eventName, code, owned ? text.c_str() : nullptr, nullptr, 0);
}

void VemoWebView::postPageEvent(const std::string* url, int type, cJSON* data) {
  vemo::JsonPtr owned(data);
  if (!url) return;
  cJSON* event = cJSON_CreateObject();
  cJSON_AddStringToObject(event, "url", url->c_str());
  cJSON_AddNumberToObject(event, "type", type);
  if (owned) cJSON_AddItemToObject(event, "data", owned.release());
  postEvent(kWebViewEvent, 3, event);
}

bool VemoWebView::isErrorPage(const std::string& url) const { return url.find(kErrorPagePath) != std::string::npos; }

std::string VemoWebView::mapErrorUrl(const std::string& url) const {
  if (!pageData_->options().customError || url.compare(0, 12, "vemo://error") != 0) return url;
  std::string page = "file://" + wstring_to_utf8(WebViewRuntimeDiscovery::folder()) + kErrorPagePath;
  size_t query = url.find('?');
  if (query != std::string::npos) page += url.substr(query);
  return page;
}

void VemoWebView::prepareErrorPage() {
  if (!pageData_->options().customError) return;
  std::string path = wstring_to_utf8(WebViewRuntimeDiscovery::folder()) + kErrorPagePath;
  std::replace(path.begin(), path.end(), '/', '\\');
  if (!file_exists(path)) {
    pageData_->setCustomError(false);
    return;
  }
  // The error page gets the same startup data as the page it stands for.
  vemo::JsonPtr item = pageData_->getCurrentURLInjectionData(currentUrl_);
  if (item) pageData_->addInjectionData(path, item.get());
}

void VemoWebView::loadUrl(const std::string& url) {
  std::string mapped = mapErrorUrl(url);
  if (mapped.empty()) return;
  vemo_debug_printf("wv===>loadUrl:%s", mapped.c_str());
  mapped = normaliseLocalUrl(mapped);
  currentUrl_ = mapped;
  if (!isErrorPage(mapped)) {
    entryUrl_ = reportedUrl_ = mapped;
    entryDone_ = false;
  }
  if (webview_) webview_->navigate(mapped);
}

bool VemoWebView::tryFallback() {
  if (!isFilePage()) return false;
  std::string fallback = pageData_->options().fallbackUrl;
  if (fallback.empty()) return false;
  vemo_debug_print("load error and fallback url not empty, now redirect");
  if (fallback == currentUrl_) return false;
  if (webview_) webview_->stop();
  loadUrl(fallback);
  return true;
}

void VemoWebView::onPageStart(const std::string& uri) {
  state_ = kWebViewNavigating;
  if (pageData_->options().customError) currentUrl_ = uri;
  postPageEvent(&currentUrl_, 0, nullptr);
  hookPageStarted();
  int64_t now = system_clock_ms();
  stats_.recordPageStart(currentUrl_, now);
  vemo_debug_printf("wv===>onPageStart, cost:%lld", static_cast<long long>(now - startTimeMs_));
  startTimeMs_ = now;
  if (listener_) listener_->onNavigationStarting();
}

void VemoWebView::onPageFinished(const WebEngine::NavigationCompletedArgs& args) {
  vemo_debug_print("wv===>add_NavigationCompleted cb");
  bool ok = args.isSuccess;
  bool isEntry = false;
  if (!entryDone_) {
    entryDone_ = true;
    entryUrl_ = currentUrl_;
    isEntry = true;
  }
  int status = args.httpStatusCode;
  if (ok) {
    state_ = kWebViewLoaded;
  } else if (!pageData_->options().customError) {
    tryFallback();
  } else {
    state_ = kWebViewLoadFailed;
    int webError = args.webErrorStatus;
    bool redirected = tryFallback();
    if (!redirected && webError != WebEngine::kWebErrorConnectionAborted &&
        isEqualUrl(currentUrl_.c_str(), entryUrl_.c_str()) && !isErrorPage(currentUrl_)) {
      WebViewLoadError error = classifyLoadError(status, webError);
      bool shown = error.code != -5 || pageData_->isCustomHttpError(status);
      if (shown) {
        if (webview_) webview_->stop();
        cJSON* data = cJSON_CreateObject();
        cJSON_AddStringToObject(data, "error_page_url", makeErrorPageUrl(error, currentUrl_).c_str());
        cJSON_AddBoolToObject(data, "is_entry_url", isEntry);
        cJSON_AddStringToObject(data, "redirect_url", entryUrl_.c_str());
        cJSON_AddNumberToObject(data, "status", status);
        cJSON_AddStringToObject(data, "method", "GET");
        cJSON* event = cJSON_CreateObject();
        cJSON_AddStringToObject(event, "url", reportedUrl_.c_str());
        cJSON_AddItemToObject(event, "data", data);
        postEvent(kWebViewEvent, 4, event);
      }
    }
  }
  stats_.onUrlLoaded(currentUrl_, ok);
  cJSON* data = cJSON_CreateObject();
  cJSON_AddStringToObject(data, "redirect_url", entryUrl_.c_str());
  cJSON_AddBoolToObject(data, "is_entry_url", isEntry);
  cJSON_AddNumberToObject(data, "status", status);
  cJSON_AddStringToObject(data, "method", "GET");
  postPageEvent(&reportedUrl_, 1, data);
  hookPageFinished(ok);
  vemo_debug_printf("wv===>onPageFinished, cost:%lld", static_cast<long long>(system_clock_ms() - startTimeMs_));
  std::string timing = stats_.timingScript(startTimeMs_);
  WebViewSerial serial = serial_;
  if (listener_) listener_->onNavigationCompleted(ok);
  // The listener may have closed the page and this host with it.
  if (!live(serial, "NavigationCompleted timing")) return;
  if (webview_ && !timing.empty()) webview_->executeScript(timing, nullptr);
}

void VemoWebView::onLoadingFailed(const std::string& paramsJson) {
  vemo::JsonPtr params(cJSON_Parse(paramsJson.c_str()));
  const cJSON* type = cJSON_GetObjectItemCaseSensitive(params.get(), "type");
  if (!cJSON_IsString(type)) return;
  for (const char* resource : {"Stylesheet", "Image", "Media", "Font", "Script"}) {
    if (std::strcmp(type->valuestring, resource) != 0) continue;
    const cJSON* text = cJSON_GetObjectItemCaseSensitive(params.get(), "errorText");
    vemo_debug_printf("wv=====>console error :%s", cJSON_IsString(text) ? text->valuestring : "");
    tryFallback();
    return;
  }
}

}  // namespace VemoSDK
