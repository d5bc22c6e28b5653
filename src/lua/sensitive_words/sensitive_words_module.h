#pragma once
// The `sensitive_words` sub-table of `_vemosdk`: insert words into the
// process-wide trie and walk it node by node (nodes are light userdata).
struct lua_State;

namespace VemoSDK::LuaSensitiveWords {

void pushSensitiveWordsTable(lua_State* L);

}  // namespace VemoSDK::LuaSensitiveWords
