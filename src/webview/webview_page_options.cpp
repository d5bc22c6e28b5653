#include "webview/webview_page_options.h"

#include "core/owners.h"
#include "webview/webview_json.h"

#include <cjson/cJSON.h>

namespace VemoSDK {
namespace {

// Only JSON true sets a flag whose default is false, only JSON false clears
// one whose default is true.
void readTrue(const cJSON* object, const char* key, bool& field) {
  if (cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(object, key))) field = true;
}
void readFalse(const cJSON* object, const char* key, bool& field) {
  if (cJSON_IsFalse(cJSON_GetObjectItemCaseSensitive(object, key))) field = false;
}
void readString(const cJSON* object, const char* key, std::string& field) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  if (cJSON_IsString(item) && item->valuestring) field = item->valuestring;
}
void readInt(const cJSON* object, const char* key, int32_t& field) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  if (cJSON_IsNumber(item)) field = item->valueint;  // cJSON saturates to the int range
}

}  // namespace

const std::set<int32_t>& WebViewPageOptions::defaultHttpErrorSet() {
  static const std::set<int32_t> kSet = [] {
    std::set<int32_t> codes;
    for (int32_t code = 400; code <= 417; ++code) codes.insert(code);
    for (int32_t code = 421; code <= 429; ++code) codes.insert(code);
    for (int32_t code = 500; code <= 508; ++code) codes.insert(code);
    codes.insert({431, 451, 510, 511});
    return codes;
  }();
  return kSet;
}

WebViewPageOptions WebViewPageOptions::fromJson(const cJSON* object) {
  WebViewPageOptions options;
  if (!cJSON_IsObject(object)) return options;
  readTrue(object, "compactMode", options.compactMode);
  readTrue(object, "hide_close_btn", options.hideCloseButton);
  readTrue(object, "stat_performance", options.statPerformance);
  readTrue(object, "draggable", options.draggable);
  readFalse(object, "enable_loading", options.enableLoading);
  readTrue(object, "show_title", options.showTitle);
  readFalse(object, "custom_error", options.customError);
  readTrue(object, "nonmodal_window", options.nonmodalWindow);
  const cJSON* frame = cJSON_GetObjectItemCaseSensitive(object, "nonmodal_window_frame");
  if (options.nonmodalWindow && cJSON_IsObject(frame)) {
    readInt(frame, "dx", options.nonmodalWindowFrame.dx);
    readInt(frame, "dy", options.nonmodalWindowFrame.dy);
    readInt(frame, "width", options.nonmodalWindowFrame.width);
    readInt(frame, "height", options.nonmodalWindowFrame.height);
  }
  readString(object, "closeEventData", options.closeEventData);
  readString(object, "fallback_url", options.fallbackUrl);
  readInt(object, "min_width", options.minWidth);
  readInt(object, "min_height", options.minHeight);
  readTrue(object, "enable_multi_instance", options.enableMultiInstance);
  readString(object, "webview_id", options.webviewId);
  readString(object, "webview_flags", options.webviewFlags);
  const cJSON* extra = cJSON_GetObjectItemCaseSensitive(object, "custom_http_error");
  if (cJSON_IsArray(extra)) {
    const cJSON* code = nullptr;
    cJSON_ArrayForEach(code, extra) {
      if (cJSON_IsNumber(code)) options.httpErrorSet.insert(code->valueint);
    }
  }
  return options;
}

WebViewPageOptions WebViewPageOptions::fromText(const char* text) {
  vemo::JsonPtr parsed(text ? cJSON_Parse(text) : nullptr);
  return fromJson(parsed.get());
}

}  // namespace VemoSDK
