#pragma once
// `FstTable`: the userdata through which scripts look keys up in compiled
// FST bytes, either a copy read from a file or a Lua string it keeps alive.
#include <string>

struct lua_State;

namespace VemoSDK::LuaFst {

// Checks the bytes and pushes a table over a file's content; false (nothing
// pushed) when they are not FST data.
bool pushFileTable(lua_State* L, std::string bytes);
// The same over the Lua string at index, which the table keeps referenced.
bool pushStringTable(lua_State* L, int index);

}  // namespace VemoSDK::LuaFst
