#pragma once
// The Lua modules the SDK opens on every state it is started on.
struct lua_State;

namespace VemoSDK {

// Registry key of the table of named Lua callbacks (register_cb).
constexpr char kCallbackRegistryKey[] = "_vemosdk";

// The main thread of the state L belongs to (L itself for a main state).
lua_State* mainThreadOf(lua_State* L);

// Requires each SDK module on L (the state's main thread), also setting it
// as a global.
void openSdkModules(lua_State* L);

}  // namespace VemoSDK
