#include "lua/lua_host.h"

#include "core/debug_log.h"
#include "core/lua_error.h"

#include <lua.hpp>

#include <cstdio>

namespace {

constexpr char kTickChunk[] = "local E = require 'vemosdk_lua.vemosdk' \n E.tick()";

int g_tick_ref = LUA_NOREF;
bool g_in_tick = false;

// Restores the stack height on every way out.
class StackGuard {
public:
  explicit StackGuard(lua_State* L) : L_(L), top_(lua_gettop(L)) {}
  ~StackGuard() { lua_settop(L_, top_); }
  StackGuard(const StackGuard&) = delete;
  StackGuard& operator=(const StackGuard&) = delete;

private:
  lua_State* L_;
  int top_;
};

}  // namespace

int precompile_tick_function(lua_State* L) {
  if (luaL_loadbuffer(L, kTickChunk, sizeof kTickChunk - 1, "tick_loader") != LUA_OK) {
    std::printf("Error loading tick chunk: %s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return 0;
  }
  if (!lua_isfunction(L, -1)) {
    lua_pop(L, 1);
    std::fprintf(stderr, "E.tick is not a function or not found\n");
    return 0;
  }
  release_tick_function(L);
  g_tick_ref = luaL_ref(L, LUA_REGISTRYINDEX);
  vemo_debug_printf("Lua tick function precompiled successfully\n");
  return 1;
}

void call_tick_function(lua_State* L) {
  if (!L || g_tick_ref == LUA_NOREF || g_tick_ref == LUA_REFNIL) {
    vemo_debug_printf("Error: Lua state or tick function not initialized\n");
    return;
  }
  if (g_in_tick) return;
  g_in_tick = true;
  {
    StackGuard guard(L);
    lua_pushcfunction(L, lua_error_traceback);
    lua_rawgeti(L, LUA_REGISTRYINDEX, g_tick_ref);
    if (lua_pcall(L, 0, 0, -2) != LUA_OK)
      vemo_debug_printf("Error calling tick function: %s\n", lua_tostring(L, -1));
  }
  g_in_tick = false;
}

void release_tick_function(lua_State* L) {
  if (g_tick_ref == LUA_NOREF) return;
  luaL_unref(L, LUA_REGISTRYINDEX, g_tick_ref);
  g_tick_ref = LUA_NOREF;
}

void run_lua_chunk(lua_State* L, const char* text, size_t length, const char* chunk_name) {
  run_lua_chunk_with_texts(L, text, length, chunk_name, {});
}

void run_lua_chunk_with_texts(lua_State* L, const char* text, size_t length, const char* chunk_name,
                              std::initializer_list<std::string_view> arguments) {
  StackGuard guard(L);
  lua_pushcfunction(L, lua_error_traceback);
  int handler = lua_gettop(L);
  int status = luaL_loadbuffer(L, text, length, chunk_name);
  if (status == LUA_OK) {
    if (!lua_checkstack(L, static_cast<int>(arguments.size()))) return;
    for (std::string_view argument : arguments) lua_pushlstring(L, argument.data(), argument.size());
    status = lua_pcall(L, static_cast<int>(arguments.size()), 0, handler);
  }
  if (status != LUA_OK) {
    const char* message = lua_tostring(L, -1);
    std::printf("%s", message ? message : "(error object is not a string)");
  }
}

int lua_error_traceback(lua_State* L) {
  // Reports the error and leaves its text with the traceback on top.
  VemoSDK::onLuaError(L);
  const char* message = lua_tostring(L, 1);
  std::printf("trace back = %s \n", message ? message : lua_tostring(L, -1));
  return 1;
}
