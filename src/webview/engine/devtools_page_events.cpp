// The page's DevTools events turned into the web view's own events.
#include "core/owners.h"
#include "webview/engine/devtools_page.h"

#include <cstring>

#include "core/base64.h"
#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/text_convert.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

using vemo::JsonPtr;

bool boolOf(const cJSON* object, const char* key) {
  return cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(object, key));
}

HeaderList headersOf(const cJSON* headers) {
  HeaderList list;
  const cJSON* header = nullptr;
  cJSON_ArrayForEach(header, headers) {
    if (cJSON_IsString(header) && header->string) list.emplace_back(header->string, header->valuestring);
  }
  return list;
}

}  // namespace

void DevToolsPage::onEvent(const std::string& method, const cJSON* params) {
  if (!attached_) return;
  if (method == "Page.frameStartedNavigating") {
    onFrameStartedNavigating(params);
  } else if (method == "Network.responseReceived") {
    if (json_string_or_empty(params, "type") == "Document")
      navigation_.responseReceived(json_string_or_empty(params, "loaderId"),
                                   json_get_int(cJSON_GetObjectItemCaseSensitive(params, "response"), "status"));
  } else if (method == "Page.frameNavigated") {
    onFrameNavigated(params);
  } else if (method == "Network.loadingFailed") {
    if (json_string_or_empty(params, "type") == "Document") {
      auto done = navigation_.failed(json_string_or_empty(params, "requestId"), json_string_or_empty(params, "errorText"),
                                     boolOf(params, "canceled"));
      if (done) complete(*done);
    }
  } else if (method == "Page.frameStoppedLoading") {
    if (json_string_or_empty(params, "frameId") == targetId_) {
      if (auto done = navigation_.stoppedLoading()) complete(*done);
      if (loadedSink_) loadedSink_();
    }
  } else if (method == "Fetch.requestPaused") {
    onRequestPaused(params);
  } else if (method == "Runtime.bindingCalled") {
    onBindingCalled(params);
  } else if (method == "Page.windowOpen") {
    NewWindowRequestedArgs args;
    args.uri = json_string_or_empty(params, "url");
    newWindow_.run(args);
  } else if (method == "Page.javascriptDialogOpening") {
    onDialogOpening(params);
  } else if (method == "Page.screencastFrame") {
    onScreencastFrame(params);
  }
  auto listeners = devToolsEvents_.find(method);
  if (listeners != devToolsEvents_.end() && !listeners->second.empty()) {
    const std::string json = params ? vemo::print_json(params) : "{}";
    // Looked up again: an earlier handler of this event may have closed the page.
    listeners->second.run(json);
  }
}

void DevToolsPage::onFrameStartedNavigating(const cJSON* params) {
  if (json_string_or_empty(params, "frameId") != targetId_) return;
  const std::string type = json_string_or_empty(params, "navigationType");
  if (type == "sameDocument" || type == "historySameDocument") return;
  std::optional<NavigationCompletedArgs> before;
  NavigationStartingArgs args = navigation_.started(json_string_or_empty(params, "loaderId"), json_string_or_empty(params, "url"), before);
  if (before) complete(*before);
  url_ = args.uri;
  if (!attached_) return;
  navigationStarting_.run(args);
}

void DevToolsPage::onFrameNavigated(const cJSON* params) {
  const cJSON* frame = cJSON_GetObjectItemCaseSensitive(params, "frame");
  if (json_string_or_empty(frame, "id") != targetId_) return;
  // An error page keeps the address that could not be reached.
  const std::string url = json_string_or_empty(frame, "url");
  if (url.compare(0, 13, "chrome-error:") != 0) url_ = url;
  navigation_.committed(json_string_or_empty(frame, "loaderId"));
}

void DevToolsPage::complete(const NavigationCompletedArgs& args) { navigationCompleted_.run(args); }

void DevToolsPage::titleChanged(const std::string& title) {
  if (!attached_ || title == title_) return;
  title_ = title;
  titleChanged_.run(title_);
}

void DevToolsPage::onRequestPaused(const cJSON* params) {
  const std::string requestId = json_string_or_empty(params, "requestId");
  const cJSON* request = cJSON_GetObjectItemCaseSensitive(params, "request");
  WebResourceRequestedArgs args;
  args.request.uri = json_string_or_empty(request, "url");
  args.request.method = json_string_or_empty(request, "method");
  args.request.headers = headersOf(cJSON_GetObjectItemCaseSensitive(request, "headers"));
  resourceRequested_.run(args);
  if (!attached_) return;
  if (!args.response) {
    send("Fetch.continueRequest", [&] {
      JsonPtr p(cJSON_CreateObject());
      cJSON_AddStringToObject(p.get(), "requestId", requestId.c_str());
      return p;
    }());
    return;
  }
  const WebResourceResponse& response = *args.response;
  JsonPtr answer(cJSON_CreateObject());
  cJSON_AddStringToObject(answer.get(), "requestId", requestId.c_str());
  cJSON_AddNumberToObject(answer.get(), "responseCode", response.statusCode);
  if (!response.reasonPhrase.empty())
    cJSON_AddStringToObject(answer.get(), "responsePhrase", response.reasonPhrase.c_str());
  cJSON* headers = cJSON_AddArrayToObject(answer.get(), "responseHeaders");
  for (const auto& header : response.headers) {
    cJSON* entry = cJSON_CreateObject();
    cJSON_AddStringToObject(entry, "name", header.first.c_str());
    cJSON_AddStringToObject(entry, "value", header.second.c_str());
    cJSON_AddItemToArray(headers, entry);
  }
  cJSON_AddStringToObject(answer.get(), "body", base64_encode(response.body.data(), response.body.size()).c_str());
  const std::string uri = args.request.uri;
  send("Fetch.fulfillRequest", std::move(answer), [uri](const cJSON*, const std::string& error) {
    if (!error.empty()) vemo_debug_printf("web engine: answer to %s refused: %s\n", uri.c_str(), error.c_str());
  });
}

void DevToolsPage::onBindingCalled(const cJSON* params) {
  const std::string name = json_string_or_empty(params, "name");
  if (name == kTitleBinding) {
    // A document without a title is known by its address.
    const std::string title = json_string_or_empty(params, "payload");
    titleChanged(title.empty() ? url_ : title);
    return;
  }
  if (name != kPostBinding || !webMessageEnabled_) return;
  WebMessageReceivedArgs args;
  args.source = url_;
  args.json = json_string_or_empty(params, "payload");
  JsonPtr message(cJSON_Parse(args.json.c_str()));
  if (!message) return;  // the bridge always sends JSON; anything else is not ours
  args.isString = cJSON_IsString(message.get());
  if (args.isString) args.text = message->valuestring;
  webMessage_.run(args);
}

void DevToolsPage::onDialogOpening(const cJSON* params) {
  const std::string type = json_string_or_empty(params, "type");
  bool accept = false;
  if (dialogsEnabled_) {
    // A modal box on the UI thread, as the page's own dialog would be.
    const std::wstring text = utf8_to_wstring(json_string_or_empty(params, "message"));
    const UINT buttons = type == "alert" ? MB_OK : MB_OKCANCEL;
    accept = MessageBoxW(GetActiveWindow(), text.c_str(), utf8_to_wstring(url_).c_str(), buttons) == IDOK;
  }
  JsonPtr answer(cJSON_CreateObject());
  cJSON_AddBoolToObject(answer.get(), "accept", accept);
  if (type == "prompt") cJSON_AddStringToObject(answer.get(), "promptText", json_string_or_empty(params, "defaultPrompt").c_str());
  send("Page.handleJavaScriptDialog", std::move(answer));
}

void DevToolsPage::onScreencastFrame(const cJSON* params) {
  JsonPtr ack(cJSON_CreateObject());
  cJSON_AddNumberToObject(ack.get(), "sessionId", json_get_int(params, "sessionId"));
  send("Page.screencastFrameAck", std::move(ack));
  if (!frameSink_) return;
  const std::vector<unsigned char> bytes = base64_decode_string(json_string_or_empty(params, "data"));
  frameSink_(std::string(bytes.begin(), bytes.end()));
}

}  // namespace WebEngine
}  // namespace VemoSDK
