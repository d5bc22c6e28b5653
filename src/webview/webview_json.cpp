#include "webview/webview_json.h"

namespace VemoSDK {

std::string printJson(const cJSON* item, bool formatted) {
  char* text = item ? (formatted ? cJSON_Print(item) : cJSON_PrintUnformatted(item)) : nullptr;
  if (!text) return "";
  std::string out(text);
  cJSON_free(text);
  return out;
}

}  // namespace VemoSDK
