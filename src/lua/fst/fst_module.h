#pragma once
// The `fst` sub-table of `_vemosdk`: FST string tables compiled from Lua
// tables (create), looked up through `FstTable` userdata (load), and the
// forward varint codec.
struct lua_State;

namespace VemoSDK::LuaFst {

// Pushes the sub-table.
void pushFstTable(lua_State* L);

}  // namespace VemoSDK::LuaFst
