#include "updater_main.h"

#include "dpi.h"
#include "main_thread_queue.h"
#include "paint_helpers.h"
#include "program_window.h"
#include "progress_window.h"
#include "single_instance.h"
#include "updater_instance.h"
#include "updater_lua.h"
#include "updater_state.h"
#include "updater_window.h"

#include "core/instance_lock.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/update_merge.h"
#include "lua/lua_host.h"
#include "sdk/exports.h"

#include <objbase.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kEntryChunk[] =
    "local EWL = require 'vemosdk_windows_launcher.updater' \n EWL.check_if_launcher_need_update()";
constexpr wchar_t kFatalCaption[] = L"Windows Desktop Guided Tour";

void merge_into_program_folder(UpdaterState& state, const std::wstring& program_dir) {
  // Files the launcher still has open cannot be replaced: let it finish
  // ending first (it started us and is on its way out).
  wait_for_launcher_exit(utf8_to_wstring(read_launcher_name(program_dir)),
                         wstring_to_utf8(program_dir + L"launcher.exe"));
  state.merge_ok = copy_directory_from_update_to_exe();
  // Before the SDK starts its debug log is off: standard output carries it.
  if (!state.merge_ok)
    std::printf("copy_directory_from_update_to_exe reported failure; new resources may be incomplete.\n");
}

}  // namespace

int UpdaterMain(HINSTANCE instance, const wchar_t* command_line, int show_command) {
  UpdaterState& state = updater_state();
  set_system_dpi_awareness();
  state.dpi = read_system_dpi();
  state.layout = scale_updater_layout(state.dpi);

  std::wstring program_dir = get_program_dir_w();
  state.title = utf8_to_wstring(read_sdkconfig_string(program_dir, "updater_name"));
  bool headless = is_headless_command_line(command_line ? command_line : L"");

  UpdaterInstanceMutex instance_mutex;
  switch (instance_mutex.acquire(state.title, headless)) {
    case UpdaterInstanceCheck::kFailed:
      std::printf("updater: cannot create the instance mutex (error %lu)\n", GetLastError());
      return 1;
    case UpdaterInstanceCheck::kRefused:
    case UpdaterInstanceCheck::kGaveUp:
      return 0;
    case UpdaterInstanceCheck::kFirst:
      break;
  }

  start_gdiplus_once();
  // The UI thread is a single-threaded apartment, as web views and toasts need.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  state.instance = instance;
  if (!register_updater_class(instance)) {
    MessageBoxW(nullptr, L"Call to RegisterClassEx failed!", kFatalCaption, MB_OK);
    instance_mutex.release();
    return 1;
  }
  state.skin = load_updater_skin(program_dir);
  HWND window = create_updater_window(instance, state.title.c_str());
  if (!window) {
    MessageBoxW(nullptr, L"Call to CreateWindow failed!", kFatalCaption, MB_OK);
    instance_mutex.release();
    return 1;
  }
  state.main_window = window;
  createProgressWindow();
  ShowWindow(window, show_command);
  BringWindowToTop(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

  merge_into_program_folder(state, program_dir);

  main_thread_queue().set_window(window);
  vemosdk_set_main_thread_handler(post_main_thread_task);

  // A restart or hand-over by the scripts lets go of the mutex before the
  // new program runs, so that it is not taken for a second instance.
  set_instance_lock_release([&instance_mutex] { instance_mutex.release(); });
  if (lua_State* L = create_updater_lua_state(window, kUpdaterVersion)) {
    precompile_tick_function(L);
    std::printf("\n ready to checkIfNeedToUpdateLauncher \n\n");
    run_lua_chunk(L, kEntryChunk, std::strlen(kEntryChunk), "check_update");
  }
  SetTimer(window, kTickTimerId, kTickPeriodMs, nullptr);
  start_front_retry(window);

  int exit_code = run_message_loop();
  set_instance_lock_release(nullptr);
  instance_mutex.release();
  return exit_code;
}
