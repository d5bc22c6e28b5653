#include "lua/process_control.h"

#include <cstdio>
#include <vector>

#include "core/command_line.h"
#include "core/debug_log.h"
#include "core/instance_lock.h"
#include "core/logs/file_log_storage.h"
#include "core/text_convert.h"

namespace {

// The working folder comes from the parsed program path, so that a quoted
// path with blanks, or an argument holding a backslash, does not decide it.
std::wstring working_folder(const std::wstring& command, StartFolder folder) {
  if (folder == StartFolder::kInherited) return {};
  std::wstring path, arguments;
  split_command_line(command, path, arguments);
  return program_folder(path);
}

void close_handle(HANDLE& handle, const char* failure_format) {
  if (!handle) return;
  if (!CloseHandle(handle)) vemo_debug_printf(failure_format, static_cast<int>(GetLastError()));
  handle = nullptr;
}

}  // namespace

DWORD start_process(const std::wstring& command, StartFolder folder, PROCESS_INFORMATION& info,
                    DWORD creation_flags) {
  info = PROCESS_INFORMATION{};
  std::wstring directory = working_folder(command, folder);
  // CreateProcessW may write into the command line it is given.
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creation_flags, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    DWORD error = GetLastError();
    vemo_debug_printf("create process failed! code = %d \n", static_cast<int>(error));
    info = PROCESS_INFORMATION{};
    return error ? error : ERROR_INVALID_FUNCTION;
  }
  return 0;
}

void close_process_handles(PROCESS_INFORMATION& info) {
  if (!info.hProcess && !info.hThread) return;
  vemo_debug_printf("_vemosdk_close_process_handler received");
  close_handle(info.hProcess, "close process handler failed:%d");
  close_handle(info.hThread, "close thread handler failed:%d");
}

bool process_still_running(PROCESS_INFORMATION& info) {
  if (!info.hProcess) {
    vemo_debug_printf("_is_game_running skip pi hProcess is nil");
    return false;
  }
  if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
    vemo_debug_printf("_is_game_running exit code is still_alive");
    return true;
  }
  DWORD exit_code = 0;
  if (GetExitCodeProcess(info.hProcess, &exit_code))
    vemo_debug_printf("_is_game_running exit code:%ld", static_cast<long>(exit_code));
  close_process_handles(info);
  return false;
}

DWORD kill_started_process(const PROCESS_INFORMATION& info) {
  vemo_debug_printf("_vemosdk_kill_process received");
  BOOL killed = TerminateProcess(info.hProcess, 0);
  DWORD code = killed ? 0 : GetLastError();
  vemo_debug_printf("_vemosdk_kill_process succ:%d, code:%d", killed ? 1 : 0, static_cast<int>(code));
  return code;
}

DWORD hand_over_and_exit(const std::wstring& command, StartFolder folder) {
  // The new program is held until the lock is released: it must not find
  // this process's single-instance mutex and end as a second instance.
  PROCESS_INFORMATION info;
  if (DWORD error = start_process(command, folder, info, CREATE_SUSPENDED)) return error;
  release_instance_lock();
  if (ResumeThread(info.hThread) == static_cast<DWORD>(-1)) {
    DWORD error = GetLastError();
    vemo_debug_printf("resume started process failed:%d", static_cast<int>(error));
    TerminateProcess(info.hProcess, 1);
    close_process_handles(info);
    return error;
  }
  close_process_handles(info);
  exit_own_process();
}

void exit_own_process() {
  vemo::logs::flush_logs_before_exit();  // ExitProcess runs no exit handlers
  std::fflush(nullptr);
  ExitProcess(0);
}
