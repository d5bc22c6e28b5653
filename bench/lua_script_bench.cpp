// Runs a Lua benchmark script inside a Lua state set up as the programs set
// it up (vemosdk_init), so that the script reaches the SDK's modules. The
// script gets its further arguments in `arg` and prints its own figures.
//   lua_script_bench <script.lua> [args...]
#include <windows.h>

#include <lua.hpp>

#include <cstdio>
#include <string>

#include "core/text_convert.h"
#include "sdk/exports.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: lua_script_bench <script.lua> [args...]\n");
    return 2;
  }
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  vemosdk_init(L, nullptr, "1.0.9");
  lua_newtable(L);
  for (int i = 2; i < argc; ++i) {
    lua_pushstring(L, wstring_to_utf8(argv[i]).c_str());
    lua_rawseti(L, -2, i - 1);
  }
  lua_setglobal(L, "arg");
  if (luaL_dofile(L, wstring_to_utf8(argv[1]).c_str()) != LUA_OK) {
    std::fprintf(stderr, "%s\n", lua_tostring(L, -1));
    return 1;
  }
  std::fflush(stdout);
  return 0;
}
