#pragma once
// The updater's Lua state and its module _updater: the progress window, the
// merge result, programs by path and the exclusive-write check. UI thread only.
#include <windows.h>

struct lua_State;

// As the launcher's state, with _updater in place of _launcher; the state is
// kept in the updater state.
lua_State* create_updater_lua_state(HWND main_window, const char* app_version);

extern "C" int luaopen_updater(lua_State* L);
