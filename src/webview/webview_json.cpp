#include "webview/webview_json.h"

#include "core/owners.h"

namespace VemoSDK {

std::string printJson(const cJSON* item, bool formatted) { return vemo::json_text(item, formatted); }

}  // namespace VemoSDK
