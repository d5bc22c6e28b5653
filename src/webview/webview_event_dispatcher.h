#pragma once
// "WEBVIEW_EVENT" tasks for Lua, and the road of Lua's late answers back to
// the page that asked: each "notifyLua" call gets a cbid (the page's id,
// "@@" and the host's identity) that Lua hands back to webview_callback_js.
// UI thread only (posting to the task queue is the one step that crosses
// threads).
#include "webview/live_webview_hosts.h"

#include <cjson/cJSON.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace VemoSDK {

constexpr const char* kWebViewEvent = "WEBVIEW_EVENT";

class WebViewEventDispatcher {
public:
  static WebViewEventDispatcher& instance();

  // Where answers go whose cbid names no live host (the id is null when no
  // entry was waiting at all); without one they are dropped with a log line.
  using UnknownCallbackHandler = std::function<void(const char* id, const std::string& text)>;
  void setUnknownCallbackHandler(UnknownCallbackHandler handler) { unknownHandler_ = std::move(handler); }

  // Code 0: {"item": copy of item (when set), "cbid", "url", "args": copy
  // (when set)}. With a host and an id, the cbid is remembered for that host.
  void postPageMessage(const void* hostIdentity, WebViewSerial host, const std::string& id, const std::string& url,
                       const cJSON* args, const cJSON* item);
  // Adds "url" and a copy of args to object (a new one when null; taken
  // over) and posts it formatted with the code as the task's id.
  static void postEvent(cJSON* object, const std::string& url, int64_t code, const cJSON* args);
  // Code 1 for a page window that closed: {"type": "close", "url", "args":
  // closeEventData as a JSON string (left out when empty)}.
  static void postCloseEvent(const std::string& url, const std::string& closeEventData);

  // The UI-thread half of webview_callback_js: answers the page of a live
  // host once; every other cbid goes to the unknown-callback handler.
  void deliverCallback(const std::string& cbid, const std::string& text);
  // A destroyed host's waiting entries go with it.
  void forgetHost(WebViewSerial host);

  size_t pendingCount() const { return pending_.size(); }

private:
  std::map<std::string, WebViewSerial> pending_;
  UnknownCallbackHandler unknownHandler_;
};

// "<id>@@<identity as %p>".
std::string makeWebViewCbid(const std::string& id, const void* hostIdentity);

}  // namespace VemoSDK
