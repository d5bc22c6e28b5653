#include "webview/webview_event_dispatcher.h"

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "webview/webview_json.h"

#include <cstdio>
#include <vector>

namespace VemoSDK {

std::string makeWebViewCbid(const std::string& id, const void* hostIdentity) {
  std::vector<char> buffer(id.size() + 32);
  std::snprintf(buffer.data(), buffer.size(), "%s%s%p", id.c_str(), "@@", hostIdentity);
  return buffer.data();
}

WebViewEventDispatcher& WebViewEventDispatcher::instance() {
  static WebViewEventDispatcher dispatcher;
  return dispatcher;
}

void WebViewEventDispatcher::postPageMessage(const void* hostIdentity, WebViewSerial host, const std::string& id,
                                             const std::string& url, const cJSON* args, const cJSON* item) {
  cJSON* object = cJSON_CreateObject();
  if (!object) return;
  if (item) cJSON_AddItemToObject(object, "item", cJSON_Duplicate(item, 1));
  if (!id.empty()) {
    if (host) {
      std::string cbid = makeWebViewCbid(id, hostIdentity);
      pending_[cbid] = host;
      cJSON_AddStringToObject(object, "cbid", cbid.c_str());
    } else {
      cJSON_AddStringToObject(object, "cbid", id.c_str());
    }
  }
  postEvent(object, url, 0, args);
}

void WebViewEventDispatcher::postEvent(cJSON* object, const std::string& url, int64_t code, const cJSON* args) {
  vemo::JsonPtr owned(object ? object : cJSON_CreateObject());
  if (!owned) return;
  cJSON_AddStringToObject(owned.get(), "url", url.c_str());
  if (args) cJSON_AddItemToObject(owned.get(), "args", cJSON_Duplicate(args, 1));
  std::string text = printJson(owned.get(), true);
  postLuaEvent(kWebViewEvent, code, text.c_str(), nullptr, 0);
}

void WebViewEventDispatcher::postCloseEvent(const std::string& url, const std::string& closeEventData) {
  cJSON* event = cJSON_CreateObject();
  cJSON_AddStringToObject(event, "type", "close");
  vemo::JsonPtr args(closeEventData.empty() ? nullptr : cJSON_CreateString(closeEventData.c_str()));
  postEvent(event, url, 1, args.get());
}

void WebViewEventDispatcher::deliverCallback(const std::string& cbid, const std::string& text) {
  bool anyWaiting = !pending_.empty();
  std::string id = cbid.substr(0, cbid.find('@'));
  if (!cbid.empty() && anyWaiting) {
    auto found = pending_.find(cbid);
    if (found != pending_.end()) {
      WebViewSerial host = found->second;
      pending_.erase(found);  // one answer per cbid
      if (WebViewReplyTarget* target = LiveWebViewHosts::find(host)) target->callbackJs(id, text);
      return;
    }
  }
  if (unknownHandler_) {
    unknownHandler_(anyWaiting ? id.c_str() : nullptr, text);
  } else {
    vemo_debug_printf("wv===>callback for %s has no page, dropped\n", cbid.c_str());
  }
}

void WebViewEventDispatcher::forgetHost(WebViewSerial host) {
  for (auto entry = pending_.begin(); entry != pending_.end();) {
    entry = entry->second == host ? pending_.erase(entry) : std::next(entry);
  }
}

}  // namespace VemoSDK
