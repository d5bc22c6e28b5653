#include "launcher_main.h"

#include "dpi.h"
#include "launcher_lua.h"
#include "launcher_paint.h"
#include "launcher_state.h"
#include "launcher_window.h"
#include "single_instance.h"
#include "tray_icon.h"

#include "core/debug_log.h"
#include "core/instance_lock.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/update_merge.h"
#include "lua/lua_host.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kEntryChunk[] =
    "local EWL = require 'vemosdk_windows_launcher.launcher' \n EWL.check_for_launcher_update()";
constexpr wchar_t kFatalCaption[] = L"Windows Desktop Guided Tour";

}  // namespace

int LauncherMain(HINSTANCE instance, const wchar_t* command_line) {
  LauncherState& state = launcher_state();

  set_system_dpi_awareness();
  vemo_debug_printf("launcher: DPI awareness configured (System Aware)");
  state.dpi = read_system_dpi();
  state.layout = scale_layout(state.dpi);
  if (state.dpi > 96) vemo_debug_printf("launcher: UI scaled by system DPI %u", state.dpi);

  std::string launcher_name = read_launcher_name(get_program_dir_w());
  state.title = utf8_to_wstring(launcher_name);
  launcher_tray().set_guid(make_tray_guid("vemosdk_launcher_tray_v1::" + launcher_name));

  SingleInstanceMutex instance_mutex;
  switch (instance_mutex.acquire(state.title)) {
    case InstanceCheck::kFailed:
      std::printf("launcher: cannot create the single-instance mutex (error %lu)\n", GetLastError());
      return 1;
    case InstanceCheck::kSecond:
      activate_first_instance(state.title, command_line ? command_line : L"");
      std::printf("已经有一个启动器进程在运行了，不允许多开，本次程序直接退出\n");
      instance_mutex.release();
      return 0;
    case InstanceCheck::kFirst:
      // A restart or hand-over by the scripts lets go of the mutex before
      // the new program runs, so that it is not taken for a second instance.
      set_instance_lock_release([&instance_mutex] { instance_mutex.release(); });
      break;
  }

  if (copy_directory_from_update_to_exe())
    vemo_debug_printf("copy update directory to exe directory success");
  else
    vemo_debug_printf("copy update directory to exe directory failed: some staged files were not merged");

  start_gdiplus_once();
  state.instance = instance;
  state.taskbar_created_message = RegisterWindowMessageW(L"TaskbarCreated");
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  if (!register_launcher_class(instance)) {
    MessageBoxW(nullptr, L"Call to RegisterClassEx failed!", kFatalCaption, MB_OK);
    return 1;
  }
  HWND window = create_main_window(instance, state.title.c_str());
  if (!window) {
    MessageBoxW(nullptr, L"Call to CreateWindow failed!", kFatalCaption, MB_OK);
    return 1;
  }
  state.main_window = window;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  BringWindowToTop(window);
  CreateTrayIcon(window);

  lua_State* L = create_launcher_lua_state(window, kLauncherVersion);
  if (L) {
    precompile_tick_function(L);
    std::printf("\n\n 准备dostring, checkLauncherNeedUpdate \n");
    run_lua_chunk(L, kEntryChunk, std::strlen(kEntryChunk), "launcher_check_update");
  }
  SetTimer(window, kTickTimerId, kTickPeriodMs, nullptr);

  int exit_code = run_message_loop();
  set_instance_lock_release(nullptr);
  instance_mutex.release();
  return exit_code;
}
