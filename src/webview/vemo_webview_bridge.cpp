// The page side of a host: page calls and their answers, scripts, and the
// local files pages load through the offline scheme.
#include "core/owners.h"
#include "webview/vemo_webview.h"

#include "core/debug_log.h"
#include "webview/js_bridge_message.h"
#include "webview/offline_resources.h"
#include "webview/webview_event_dispatcher.h"

namespace VemoSDK {
namespace {

vemo::JsonPtr objectOr(cJSON* value) { return vemo::JsonPtr(value ? value : cJSON_CreateObject()); }

}  // namespace

void VemoWebView::onWebMessage(const WebEngine::WebMessageReceivedArgs& args) {
  if (!args.isString) {
    vemo_debug_print("wv===>web message is not a string, dropped");
    return;
  }
  JsBridgeMessage message;
  if (!parseJsBridgeMessage(args.text, message)) return;
  const std::string& name = message.name;
  if (name == "getStartupData") {
    vemo::JsonPtr startup = objectOr(pageData_->js_get_startup_data(currentUrl_).release());
    callbackJs(message.id, startup.get());
  } else if (name == "notifyLua") {
    vemo::JsonPtr item = pageData_->getCurrentURLInjectionData(currentUrl_);
    WebViewEventDispatcher::instance().postPageMessage(this, serial_, message.id, currentUrl_, message.args.get(),
                                                       item.get());
    if (!message.asyncCall) {
      vemo::JsonPtr empty(cJSON_CreateObject());
      callbackJs(message.id, empty.get());
    }
  } else if (name == "transparentBackground") {
    vemo::JsonPtr reply(cJSON_CreateObject());
    cJSON_AddBoolToObject(reply.get(), "transparentable", pageData_->isTransparentable(currentUrl_));
    callbackJs(message.id, reply.get());
  } else if (name == "closeBrowser") {
    // The window may close this host from here: nothing of it is touched after.
    if (listener_) vemo::JsonPtr(listener_->onWebMessage(message.id, name, message.args.get()));
  } else {
    WebViewSerial serial = serial_;
    cJSON* result = handleJsCall(message.id, name, message.args.get());
    if (!result && listener_) result = listener_->onWebMessage(message.id, name, message.args.get());
    vemo::JsonPtr reply = objectOr(result);
    if (live(serial, "onWebMessage")) callbackJs(message.id, reply.get());
  }
}

void VemoWebView::callbackJs(const std::string& id, const cJSON* reply) {
  std::string script = buildJsBridgeReply(id, reply, nullptr);
  if (!script.empty()) executeScript(script, nullptr);
}

void VemoWebView::callbackJs(const std::string& id, const std::string& text) {
  std::string script = buildJsBridgeReply(id, nullptr, &text);
  if (!script.empty()) executeScript(script, nullptr);
}

void VemoWebView::executeScript(const std::string& script, std::function<void(const std::string&)> done) {
  if (!webview_) return;
  WebViewSerial serial = serial_;
  webview_->executeScript(script, [serial, done](HRESULT result, const std::string& value) {
    if (!live(serial, "ExecuteScript")) return;
    if (SUCCEEDED(result) && done && !value.empty()) done(value);
  });
}

void VemoWebView::ensureOfflineHookInstalled() {
  if (offlineHookInstalled_) return;
  if (!webview_) {
    vemo_debug_print("wv_offline: ensureOfflineHookInstalled skipped, _webview_window is null");
    return;
  }
  webview_->addWebResourceRequestedFilter(std::string(kOfflineRedirectPrefix) + "*");
  WebViewSerial serial = serial_;
  tokens_.push_back(webview_->addWebResourceRequested([serial](WebEngine::WebResourceRequestedArgs& args) {
    if (VemoWebView* host = live(serial, "WebResourceRequested")) host->onResourceRequested(args);
  }));
  offlineHookInstalled_ = true;
  vemo_debug_print("wv_offline >> hook installed \n");
}

void VemoWebView::onResourceRequested(WebEngine::WebResourceRequestedArgs& args) {
  if (!OfflineResourceServer::isOfflineUrl(args.request.uri)) return;
  OfflineResponse answer = OfflineResourceServer(sdkServedFolders()).answer(args.request.uri);
  WebEngine::WebResourceResponse response;
  response.statusCode = answer.status;
  response.reasonPhrase = answer.reason;
  response.headers.emplace_back("Content-Type", answer.contentType);
  response.body = std::move(answer.body);
  args.response = std::move(response);
}

}  // namespace VemoSDK
