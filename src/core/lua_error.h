#pragma once
// Lua message handler for hosts: reports the error and leaves the error with
// its traceback on the stack.
struct lua_State;

namespace VemoSDK {

// As a message handler: the error value is at index 1. Pushes the traceback
// text (or the __tostring text of an error object) and returns 1.
int onLuaError(lua_State* L);

// Where onLuaError sends (message, stack); crash reporting sets it at start.
// Until then Lua errors are only handed back to the caller.
using LuaErrorReporter = void (*)(const char* message, const char* stack);
void setLuaErrorReporter(LuaErrorReporter reporter);

}  // namespace VemoSDK
