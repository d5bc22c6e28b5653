#include "process_launch.h"

#include <shellapi.h>

#include "core/command_line.h"
#include "core/debug_log.h"
#include "core/owners.h"
#include "core/text_convert.h"

namespace {

// The process handle of the last program started; the second slot is closed
// with it and otherwise unused.
struct KeptProcess {
  vemo::UniqueHandle process;
  vemo::UniqueHandle second;

  void reset(HANDLE next = nullptr) {
    process.reset(next);
    second.reset();
  }
};

KeptProcess& kept_process() {
  static KeptProcess kept;
  return kept;
}

// Finding the started program's main window: rounds on a UI thread timer, so
// that the message loop (and the Lua tick) keeps running while it starts up.
// The first rounds stand in for waiting until the program takes input.
constexpr UINT kActivationPeriodMs = 200;
constexpr int kInputIdleRounds = 10;  // ~2 s
constexpr int kWindowSearchRounds = 6;

struct Activation {
  DWORD pid = 0;
  vemo::UniqueHandle process;  // a duplicate of the kept handle
  int rounds_done = 0;
  UINT_PTR timer = 0;
};

Activation& activation() {
  static Activation state;
  return state;
}

void stop_activation() {
  Activation& a = activation();
  if (a.timer) KillTimer(nullptr, a.timer);
  a = Activation{};
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK find_main_window(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
  if (GetWindowTextLengthW(window) <= 0) return TRUE;
  search->found = window;
  return FALSE;
}

void CALLBACK activation_round(HWND, UINT, UINT_PTR, DWORD) {
  Activation& a = activation();
  ++a.rounds_done;
  bool still_starting = a.process && WaitForInputIdle(a.process.get(), 0) == WAIT_TIMEOUT;
  if (still_starting && a.rounds_done < kInputIdleRounds) return;

  if (HWND found = find_process_main_window(a.pid)) {
    bool ok = bring_window_to_front(found);
    vemo_debug_printf("_launch_process: activate pid=%lu hWnd=%p ok=%d\n", a.pid, static_cast<void*>(found),
                      ok ? 1 : 0);
    stop_activation();
    return;
  }
  if (a.rounds_done >= kInputIdleRounds + kWindowSearchRounds) {
    vemo_debug_printf("_launch_process: no main window found for pid=%lu after wait, skip activation\n", a.pid);
    stop_activation();
  }
}

void activate_launched_process(HANDLE process) {
  DWORD pid = GetProcessId(process);
  if (pid == 0) {
    vemo_debug_printf("_launch_process: GetProcessId returned 0, skip activation\n");
    return;
  }
  stop_activation();
  Activation& a = activation();
  a.pid = pid;
  HANDLE duplicate = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &duplicate,
                      SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, 0))
    a.process.reset(duplicate);
  a.timer = SetTimer(nullptr, 0, kActivationPeriodMs, activation_round);
  if (!a.timer) stop_activation();
}

}  // namespace

LaunchResult launch_process(const std::string& command_utf8) {
  std::wstring command = utf8_to_wstring(command_utf8);
  std::wstring path, arguments;
  split_command_line(command, path, arguments);
  if (path.empty()) return {false, ERROR_INVALID_PARAMETER};
  if (command.size() > kMaxLaunchCommand || path.size() >= MAX_PATH) {
    vemo_debug_printf("launch_process refused: the command has %zu characters, its program path %zu (at most %zu and %d)\n",
                      command.size(), path.size(), kMaxLaunchCommand, MAX_PATH - 1);
    return {false, ERROR_FILENAME_EXCED_RANGE};
  }

  // The program runs in its own folder.
  std::wstring folder = program_folder(path);

  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpFile = path.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) {
    DWORD error = GetLastError();
    // As UTF-8: "%ls" stops at the first character the C locale cannot
    // show, and game folders often have such names.
    vemo_debug_printf("ShellExecuteExW failed, err=%lu, file=%s\n", error, wstring_to_utf8(path).c_str());
    return {false, error};
  }
  if (info.hProcess) {
    kept_process().reset(info.hProcess);
    activate_launched_process(info.hProcess);
  }
  return {true, 0};
}

HWND find_process_main_window(DWORD pid) {
  WindowSearch search{pid, nullptr};
  EnumWindows(find_main_window, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool is_game_running() {
  KeptProcess& kept = kept_process();
  if (!kept.process) return false;
  if (WaitForSingleObject(kept.process.get(), 0) == WAIT_TIMEOUT) return true;
  kept.reset();
  return false;
}

bool bring_window_to_front(HWND window) {
  if (!window || !IsWindow(window)) return false;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  DWORD this_thread = GetCurrentThreadId();
  DWORD foreground_thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  bool attached = foreground_thread && foreground_thread != this_thread &&
                  AttachThreadInput(this_thread, foreground_thread, TRUE);
  BringWindowToTop(window);
  bool ok = SetForegroundWindow(window) != FALSE;
  if (attached) AttachThreadInput(this_thread, foreground_thread, FALSE);
  return ok;
}
