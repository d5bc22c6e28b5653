#pragma once
// _vemosdk.lread(path): the whole file as bytes, or nil. Relative paths are
// also tried under the data folder and the program folder.
struct lua_State;

namespace VemoSDK::LuaFiles {
int lread(lua_State* L);
}
