#include "launcher_lua.h"

#include "launcher_config.h"
#include "launcher_state.h"
#include "launcher_window.h"
#include "notification_window.h"
#include "process_launch.h"
#include "tray_icon.h"

#include "core/lua_guard.h"
#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "lua/sdk_modules.h"
#include "sdk/exports.h"

#include <lua.hpp>
#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

int show_main_window(lua_State*) {
  createLauncherWindow();
  return 0;
}

int get_version(lua_State* L) {
  lua_pushstring(L, kLauncherVersion);
  return 1;
}

int get_exe_directory(lua_State* L) {
  std::string folder = get_program_dir();
  lua_pushlstring(L, folder.data(), folder.size());
  return 1;
}

int open_install_directory(lua_State*) {
  std::wstring exe = get_module_relative_path(L"", true);
  if (exe.empty()) return 0;
  PIDLIST_ABSOLUTE item = ILCreateFromPathW(exe.c_str());
  if (!item) return 0;
  SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
  ILFree(item);
  return 0;
}

int create_notification(lua_State* L) {
  const char* message = luaL_optstring(L, 1, "");
  const char* button = luaL_optstring(L, 2, "");
  const char* language = luaL_optstring(L, 3, "");
  HINSTANCE instance = launcher_state().instance;
  // The clicks come later, on the state's main thread: a coroutine may be gone by then.
  create_notification_window(VemoSDK::mainThreadOf(L), instance ? instance : GetModuleHandleW(nullptr), message,
                             button, language);
  return 0;
}

int destroy_notification(lua_State*) {
  destroy_notification_window();
  return 0;
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

int set_tray_menu_text(lua_State* L) {
  const char* show = luaL_optstring(L, 1, "");
  const char* exit = luaL_optstring(L, 2, "");
  launcher_tray().set_menu_texts(utf8_to_wstring(show), utf8_to_wstring(exit));
  vemo_debug_printf("_set_tray_menu_text: show=%s, exit=%s\n", show, exit);
  return 0;
}

int before_kill_self_cleanup(lua_State*) {
  vemo_debug_printf("_before_kill_self_cleanup: called\n");
  RemoveTrayIcon();
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

// The module's functions, in table order.
const luaL_Reg kLauncherFunctions[] = {
    {"show_main_window", show_main_window},
    {"get_version", get_version},
    {"get_exe_directory", get_exe_directory},
    {"open_install_directory", open_install_directory},
    {"launch_process", lua_launch_process},
    {"is_game_running", lua_is_game_running},
    {"create_notification_window", create_notification},
    {"destroy_notification_window", destroy_notification},
    {"hide_to_tray", hide_to_tray},
    {"set_close_action", set_close_action},
    {"set_tray_menu_text", set_tray_menu_text},
    {"before_kill_self_cleanup", before_kill_self_cleanup},
    {"shutdown_for_updater", shutdown_for_updater},
    {nullptr, nullptr},
};

}  // namespace

extern "C" int luaopen_launcher(lua_State* L) {
  luaL_checkversion(L);
  lua_createtable(L, 0, 13);
  vemo::lua_set_guarded_funcs(L, kLauncherFunctions, 0);
  return 1;
}

lua_State* create_launcher_lua_state(HWND main_window, const char* app_version) {
  lua_State* L = create_program_lua_state(main_window, app_version, "_launcher", luaopen_launcher);
  launcher_state().lua = L;
  return L;
}
