#pragma once
// What the scripts are told before the entry script runs: the global
// get_launcher_config, and the loader chunk that installs the module searcher
// for the script bundle (or plain files). Shared by both programs.
struct lua_State;

// get_launcher_config(key): "sk", "lua_path" and "bundle_name"; nil otherwise.
int get_launcher_config(lua_State* L);

// Sets the global and runs the loader chunk on the state.
void register_launcher_config(lua_State* L);
