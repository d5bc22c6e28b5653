#pragma once
// The Lua state both programs make, and the process functions both modules
// give the scripts. UI thread only.
#include <windows.h>

struct lua_State;

// What both programs do to make their state: the standard libraries, the
// SDK started on the state, the program's own module (also a global, with
// an empty registry table of the same name) and register_launcher_config
// (launcher_config.h). Null when no state can be made.
lua_State* create_program_lua_state(HWND main_window, const char* app_version, const char* module_name,
                                    int (*open_module)(lua_State*));

// launch_process(command): true, or false and the Windows error code.
int lua_launch_process(lua_State* L);
// is_game_running(): whether the last started program still runs.
int lua_is_game_running(lua_State* L);
