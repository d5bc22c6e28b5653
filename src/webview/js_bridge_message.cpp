#include "webview/js_bridge_message.h"

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/string_utils.h"

#include <cctype>

namespace VemoSDK {
namespace {

std::string stringMember(const cJSON* object, const char* key) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  return cJSON_IsString(item) && item->valuestring ? item->valuestring : "";
}

size_t skipDigits(const std::string& text, size_t at) {
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

// The JSON number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(const std::string& text) {
  size_t at = 0;
  if (at < text.size() && text[at] == '-') ++at;
  if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return false;
  at = text[at] == '0' ? at + 1 : skipDigits(text, at);
  if (at < text.size() && text[at] == '.') {
    size_t end = skipDigits(text, at + 1);
    if (end == at + 1) return false;
    at = end;
  }
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    size_t end = skipDigits(text, at);
    if (end == at) return false;
    at = end;
  }
  return at == text.size();
}

}  // namespace

bool parseJsBridgeMessage(const std::string& posted, JsBridgeMessage& out) {
  std::string decoded = url_decode(posted);
  vemo_debug_printf("Decoded string: %s\n", decoded.c_str());
  vemo::JsonPtr parsed(cJSON_Parse(decoded.c_str()));
  if (!cJSON_IsObject(parsed.get())) return false;
  out.id = stringMember(parsed.get(), "id");
  out.name = stringMember(parsed.get(), "name");
  const cJSON* args = cJSON_GetObjectItemCaseSensitive(parsed.get(), "args");
  out.args.reset(args ? cJSON_Duplicate(args, 1) : nullptr);
  const cJSON* async = cJSON_GetObjectItemCaseSensitive(parsed.get(), "asyncCall");
  out.asyncCall = cJSON_IsTrue(async) || (cJSON_IsNumber(async) && async->valueint == 1);
  return true;
}

std::string jsBridgeIdLiteral(const std::string& id) {
  if (isJsonNumber(id)) return id;
  vemo::JsonPtr text(cJSON_CreateString(id.c_str()));
  return printJson(text.get(), false);
}

std::string buildJsBridgeReply(const std::string& id, const cJSON* retval, const std::string* text) {
  if (id.empty() || (!retval && !text)) return "";
  vemo::JsonPtr reply(cJSON_CreateObject());
  cJSON_AddItemToObject(reply.get(), "retval",
                        retval ? cJSON_Duplicate(retval, 1) : cJSON_CreateString(text->c_str()));
  return "if(vemosdk && vemosdk.nativeCallback) vemosdk.nativeCallback(" + jsBridgeIdLiteral(id) + ", " +
         printJson(reply.get(), true) + ")";
}

}  // namespace VemoSDK
