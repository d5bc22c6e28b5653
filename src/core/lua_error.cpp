#include "core/lua_error.h"

#include <lua.hpp>

#include <atomic>

namespace VemoSDK {

namespace {

std::atomic<LuaErrorReporter> lua_error_reporter{nullptr};

void sendErrorReport(const char* message, const char* stack) {
  if (LuaErrorReporter reporter = lua_error_reporter.load()) reporter(message, stack);
}

}  // namespace

void setLuaErrorReporter(LuaErrorReporter reporter) { lua_error_reporter.store(reporter); }

int onLuaError(lua_State* L) {
  const char* message = lua_tostring(L, 1);
  if (!message) {
    if (luaL_callmeta(L, 1, "__tostring") && lua_type(L, -1) == LUA_TSTRING) {
      const char* text = lua_tostring(L, -1);
      sendErrorReport(text, text);
      return 1;
    }
    message = lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
  }
  luaL_traceback(L, L, message, 1);
  sendErrorReport(message, lua_tostring(L, -1));
  return 1;
}

}  // namespace VemoSDK
