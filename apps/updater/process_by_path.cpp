#include "process_by_path.h"

#include "process_launch.h"
#include "program_state.h"

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/text_convert.h"

#include <tlhelp32.h>

namespace {

bool equal_ignoring_case(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// One spelling for comparing paths: backslashes, no "\\?\" prefix.
std::wstring comparable_path(std::wstring path) {
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

// The full image path of a process; empty when it cannot be read. Install
// folders may lie deeper than MAX_PATH, so the buffer grows as needed.
std::wstring process_image_path(HANDLE process) {
  for (DWORD capacity = 1024; capacity <= 32768; capacity *= 2) {
    std::wstring buffer(capacity, L'\0');
    DWORD length = capacity;
    if (QueryFullProcessImageNameW(process, 0, &buffer[0], &length)) {
      buffer.resize(length);
      return buffer;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
  }
  return std::wstring();
}

vemo::UniqueHandle take_process_snapshot() {
  constexpr int kAttempts = 5;
  for (int attempt = 1;; ++attempt) {
    vemo::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot) return snapshot;
    DWORD error = GetLastError();
    if (error != ERROR_BAD_LENGTH || attempt >= kAttempts) {
      vemo_debug_printf("enum_process_by_path: snapshot failed, err=%lu\n", error);
      return vemo::UniqueHandle();
    }
    vemo_debug_printf("enum_process_by_path: snapshot ERROR_BAD_LENGTH, retry %d\n", attempt);
    Sleep(50);
  }
}

struct ProcessWindows {
  DWORD pid;
  std::vector<HWND> launcher;  // launcher main windows, shown or hidden to the tray
  std::vector<HWND> visible;   // other visible top-level windows
};

BOOL CALLBACK collect_process_window(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<ProcessWindows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != found->pid) return TRUE;
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, static_cast<int>(sizeof class_name / sizeof class_name[0]));
  if (std::wstring(class_name) == kLauncherWindowClass)
    found->launcher.push_back(window);
  else if (IsWindowVisible(window))
    found->visible.push_back(window);
  return TRUE;
}

// Posts the polite end request; the number of windows it went to.
int request_close(DWORD pid, DWORD timeout_ms) {
  ProcessWindows windows{pid, {}, {}};
  EnumWindows(collect_process_window, reinterpret_cast<LPARAM>(&windows));
  if (!windows.launcher.empty()) {
    // The launcher's close box only hides it to the tray; its shut-down
    // request destroys the window, removes the tray icon and ends it.
    int posted = 0;
    for (HWND window : windows.launcher) posted += PostMessageW(window, WM_APP_SHUTDOWN, 0, 0) ? 1 : 0;
    if (posted)
      vemo_debug_printf("close_or_kill: posted WM_APP_SHUTDOWN to %d window(s) of pid=%lu, waiting %lums\n", posted,
                        pid, timeout_ms);
    return posted;
  }
  int posted = 0;
  for (HWND window : windows.visible) posted += PostMessageW(window, WM_CLOSE, 0, 0) ? 1 : 0;
  if (posted)
    vemo_debug_printf("close_or_kill: posted WM_CLOSE to %d window(s) of pid=%lu, waiting %lums\n", posted, pid,
                      timeout_ms);
  return posted;
}

}  // namespace

int enum_process_by_path(const std::string& path, std::vector<DWORD>* pids) {
  std::wstring target = comparable_path(utf8_to_wstring(path));
  size_t slash = target.find_last_of(L'\\');
  std::wstring exe_name = slash == std::wstring::npos ? target : target.substr(slash + 1);

  vemo::UniqueHandle snapshot = take_process_snapshot();
  if (!snapshot) return -1;
  int matched = 0;
  PROCESSENTRY32W entry = {sizeof(entry)};
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (!equal_ignoring_case(entry.szExeFile, exe_name)) continue;
    vemo::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (!process) {
      // Better to think it runs than to replace files under its feet.
      vemo_debug_printf("enum_process_by_path: OpenProcess failed pid=%lu err=%lu (counted as matched)\n",
                        entry.th32ProcessID, GetLastError());
      ++matched;
      continue;
    }
    if (!equal_ignoring_case(comparable_path(process_image_path(process.get())), target)) continue;
    ++matched;
    if (pids) pids->push_back(entry.th32ProcessID);
  }
  return matched;
}

bool close_or_kill(HANDLE process, DWORD pid, DWORD timeout_ms) {
  if (request_close(pid, timeout_ms) > 0) {
    if (WaitForSingleObject(process, timeout_ms) == WAIT_OBJECT_0) {
      vemo_debug_printf("close_or_kill: pid=%lu exited gracefully\n", pid);
      return true;
    }
    vemo_debug_printf("close_or_kill: pid=%lu did not exit in time, force terminate\n", pid);
  }
  if (!TerminateProcess(process, 0)) {
    vemo_debug_printf("close_or_kill: TerminateProcess failed pid=%lu err=%lu\n", pid, GetLastError());
    return false;
  }
  if (WaitForSingleObject(process, 5000) == WAIT_OBJECT_0) return true;
  vemo_debug_printf("close_or_kill: wait after terminate not signaled pid=%lu\n", pid);
  return false;
}

KillByPathResult kill_process_by_path(const std::string& path) {
  KillByPathResult result;
  std::vector<DWORD> pids;
  result.matched = enum_process_by_path(path, &pids);
  if (result.matched < 0) return {1, 0};
  for (DWORD pid : pids) {
    if (pid == GetCurrentProcessId()) {
      // Ending the caller would cut its scripts off half-way, unreported.
      vemo_debug_printf("kill_process_by_path: pid=%lu is this process, left running\n", pid);
      continue;
    }
    vemo::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
    if (!process) {
      vemo_debug_printf("kill_process_by_path: OpenProcess(TERMINATE) failed pid=%lu err=%lu\n", pid, GetLastError());
      continue;
    }
    if (close_or_kill(process.get(), pid, 5000)) ++result.killed;
  }
  vemo_debug_printf("kill_process_by_path: matched=%d killed=%d target=%s\n", result.matched, result.killed,
                    path.c_str());
  return result;
}

int find_process_by_path(const std::string& path) {
  int matched = enum_process_by_path(path, nullptr);
  vemo_debug_printf("find_process_by_path: matched=%d target=%s\n", matched, path.c_str());
  return matched;
}

bool bring_process_to_front(const std::string& path) {
  std::vector<DWORD> pids;
  int matched = enum_process_by_path(path, &pids);
  bool activated = false;
  for (DWORD pid : pids) {
    HWND window = find_process_main_window(pid);
    if (window && bring_window_to_front(window)) {
      activated = true;
      break;
    }
  }
  vemo_debug_printf("bring_process_to_front: matched=%d pids=%d activated=%d target=%s\n", matched,
                    static_cast<int>(pids.size()), activated ? 1 : 0, path.c_str());
  return activated;
}
