#pragma once
// The launcher's Lua state: the SDK, the _launcher module and what the
// scripts are given before the entry script runs. UI thread only.
#include <windows.h>

#include "program_lua.h"

struct lua_State;

// Creates the state, opens the standard libraries, starts the SDK on it and
// registers _launcher; the state is kept in the launcher state.
lua_State* create_launcher_lua_state(HWND main_window, const char* app_version);

extern "C" int luaopen_launcher(lua_State* L);
