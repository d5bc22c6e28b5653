#include "webview/webview_page_data.h"

#include "core/debug_log.h"
#include "core/owners.h"
#include "webview/url_encoding.h"

namespace VemoSDK {

WebViewPageData::WebViewPageData(const char* injectionText, const char* optionsText)
    : options_(WebViewPageOptions::fromText(optionsText)) {
  vemo::JsonPtr parsed(injectionText ? cJSON_Parse(injectionText) : nullptr);
  if (!cJSON_IsObject(parsed.get())) return;
  injection_.reset(cJSON_CreateObject());
  const cJSON* member = nullptr;
  cJSON_ArrayForEach(member, parsed.get()) {
    if (member->string) addInjectionData(member->string, member);
  }
}

void WebViewPageData::addInjectionData(const std::string& key, const cJSON* value) {
  if (!value) return;
  if (!injection_) injection_.reset(cJSON_CreateObject());
  vemo::JsonPtr copy(cJSON_Duplicate(value, 1));
  if (!injection_ || !copy) return;
  cJSON_AddItemToObject(injection_.get(), normaliseLocalUrl(key).c_str(), copy.release());
}

vemo::JsonPtr WebViewPageData::getCurrentURLInjectionData(const std::string& url) const {
  if (!injection_) return nullptr;
  const cJSON* best = nullptr;
  size_t bestLength = 0;
  const cJSON* member = nullptr;
  cJSON_ArrayForEach(member, injection_.get()) {
    if (!member->string) continue;
    size_t length = std::string(member->string).size();
    if ((!best || length > bestLength) && url.find(member->string) != std::string::npos) {
      best = member;
      bestLength = length;
    }
  }
  if (!cJSON_IsObject(best)) return nullptr;
  vemo::JsonPtr copy(cJSON_Duplicate(best, 1));
  vemo_debug_printf("getCurrentURLInjectionData find: %s \n", printJson(copy.get(), false).c_str());
  return copy;
}

vemo::JsonPtr WebViewPageData::js_get_startup_data(const std::string& url) const {
  if (!injection_) {
    vemo_debug_print("js_get_startup_data failed, inject data is null");
    return nullptr;
  }
  vemo::JsonPtr item = getCurrentURLInjectionData(url);
  const cJSON* startup = cJSON_GetObjectItemCaseSensitive(item.get(), "startupData");
  return vemo::JsonPtr(startup ? cJSON_Duplicate(startup, 1) : nullptr);
}

bool WebViewPageData::isTransparentable(const std::string&) const { return true; }

}  // namespace VemoSDK
