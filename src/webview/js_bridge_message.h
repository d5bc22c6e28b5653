#pragma once
// The text a page posts to native code, and the script that answers it.
#include "core/owners.h"
#include "webview/webview_json.h"

#include <string>

namespace VemoSDK {

struct JsBridgeMessage {
  std::string id;    // the page's call id; empty when absent
  std::string name;  // the operation; empty when absent
  vemo::JsonPtr args;  // any JSON value, or null when absent
  bool asyncCall = false;
};

// "%XX" escapes and "+" are decoded first, then the text is parsed; false
// for a text that is not a JSON object after decoding.
bool parseJsBridgeMessage(const std::string& posted, JsBridgeMessage& out);

// The page id as a script value: a JSON number stays that number, anything
// else becomes a JSON string, so no id can add code of its own.
std::string jsBridgeIdLiteral(const std::string& id);

// "if(vemosdk && vemosdk.nativeCallback) vemosdk.nativeCallback(<id>, <reply>)"
// with {"retval": retval} (a copy) or {"retval": text as a JSON string}.
// Empty (nothing to run) when the id is empty or neither is given.
std::string buildJsBridgeReply(const std::string& id, const cJSON* retval, const std::string* text);

}  // namespace VemoSDK
