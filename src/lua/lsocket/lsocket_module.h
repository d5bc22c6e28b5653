#pragma once
// The `_vemosdk_lsocket` Lua module: non-blocking TCP, UDP and multicast
// sockets on Windows Sockets 2.2.
struct lua_State;

int luaopen_vemosdk_lsocket(lua_State* L);

namespace VemoSDK::LuaSocket {
// select(read, write, timeout) of the module.
int select(lua_State* L);
// Pushes the shared empty table that select gives for an absent read table.
void pushEmptyTable(lua_State* L);
}  // namespace VemoSDK::LuaSocket
