#include "core/export_guard.h"

#include "core/debug_log.h"

#include <lua.hpp>

namespace vemo {

void log_export_failure(const char* export_name, const char* what) noexcept {
  try {
    vemo_debug_printf("%s failed: %s", export_name, what);
  } catch (...) {
    // Without memory even the line is lost; the export still answers.
  }
}

namespace {

struct LuaExportCall {
  int (*call)(void* body, lua_State* L);
  void* body;
  int count = 0;
  bool finished = false;
  ExceptionText error;  // when a C++ exception left the body
};

// The protected function; its one argument is the LuaExportCall. A C++
// exception ends here, before Lua's own handler, which would take it for an
// error without a message.
int call_lua_export(lua_State* L) {
  auto* call = static_cast<LuaExportCall*>(lua_touserdata(L, 1));
  lua_remove(L, 1);
  call->finished = run_noting_exception([&] { call->count = call->call(call->body, L); }, call->error);
  return call->finished ? call->count : 0;
}

}  // namespace

int run_lua_export(const char* export_name, lua_State* L, int failure, int (*call)(void* body, lua_State* L),
                   void* body) {
  if (!L || !lua_checkstack(L, 2)) {
    log_export_failure(export_name, L ? "no room on the Lua stack" : "no Lua state");
    return failure;
  }
  LuaExportCall state{call, body};
  int top = lua_gettop(L);
  lua_pushcfunction(L, call_lua_export);
  lua_pushlightuserdata(L, &state);
  if (lua_pcall(L, 1, LUA_MULTRET, 0) != LUA_OK) {
    // A script may raise any value, not only a text.
    log_export_failure(export_name,
                       lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : "a Lua error without a text");
    lua_settop(L, top);
    return failure;
  }
  if (!state.finished) {
    log_export_failure(export_name, state.error.text);
    lua_settop(L, top);
    return failure;
  }
  return lua_gettop(L) - top;
}

}  // namespace vemo
