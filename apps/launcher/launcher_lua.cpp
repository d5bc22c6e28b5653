#include "launcher_lua.h"

#include "launcher_state.h"
#include "launcher_window.h"
#include "tray_icon.h"

#include "core/debug_log.h"
#include "core/exports.h"
#include "lua/sdk_modules.h"

#include <lua.hpp>

#include <cstring>

namespace {

int show_main_window(lua_State*) {
  createLauncherWindow();
  return 0;
}

int get_version(lua_State* L) {
  lua_pushstring(L, kLauncherVersion);
  return 1;
}

int hide_to_tray(lua_State*) {
  LauncherState& state = launcher_state();
  ShowWindow(state.main_window, SW_HIDE);
  if (state.drag_overlay) ShowWindow(state.drag_overlay, SW_HIDE);
  return 0;
}

int set_close_action(lua_State* L) {
  const char* action = luaL_optstring(L, 1, "tray");
  LauncherState& state = launcher_state();
  state.close_action = std::strcmp(action, "exit") == 0 ? CloseAction::kExit : CloseAction::kHideToTray;
  vemo_debug_printf("_set_close_action: action=%s, g_close_action=%s\n", action,
                    state.close_action == CloseAction::kExit ? "Exit" : "Tray");
  return 0;
}

int shutdown_for_updater(lua_State*) {
  HWND window = launcher_state().main_window;
  vemo_debug_printf("_shutdown_for_updater: called, sync RemoveTrayIcon then post WM_APP_SHUTDOWN, g_hWnd=%p\n",
                    static_cast<void*>(window));
  RemoveTrayIcon();
  if (window && IsWindow(window)) PostMessageW(window, WM_APP_SHUTDOWN, 0, 0);
  return 0;
}

// The module's functions in table order; the rows not built yet are noted
// where they stand.
const luaL_Reg kLauncherFunctions[] = {
    {"show_main_window", show_main_window},
    {"get_version", get_version},
    // get_exe_directory, open_install_directory, launch_process,
    // is_game_running, create_notification_window, destroy_notification_window
    {"hide_to_tray", hide_to_tray},
    {"set_close_action", set_close_action},
    // set_tray_menu_text, before_kill_self_cleanup
    {"shutdown_for_updater", shutdown_for_updater},
    {nullptr, nullptr},
};

void register_launcher_config(lua_State* L) {
  // TODO(launcher-lua): the global get_launcher_config and the embedded
  // loader chunk "universal_loader", which finds the scripts in the bundle.
  // Until then the scripts are plain files that Lua's own searchers find
  // beside the program.
  (void)L;
}

}  // namespace

extern "C" int luaopen_launcher(lua_State* L) {
  luaL_checkversion(L);
  lua_createtable(L, 0, 13);
  luaL_setfuncs(L, kLauncherFunctions, 0);
  return 1;
}

lua_State* create_launcher_lua_state(HWND main_window, const char* app_version) {
  lua_State* L = luaL_newstate();
  if (!L) return nullptr;
  launcher_state().lua = L;
  luaL_openlibs(L);
  vemosdk_init(L, main_window, app_version);

  lua_State* main_thread = VemoSDK::mainThreadOf(L);
  luaL_requiref(main_thread, "_launcher", luaopen_launcher, 1);
  lua_pop(main_thread, 1);
  lua_newtable(main_thread);
  lua_setfield(main_thread, LUA_REGISTRYINDEX, "_launcher");

  register_launcher_config(L);
  return L;
}
