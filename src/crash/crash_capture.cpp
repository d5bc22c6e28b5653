#include "crash/crash_capture.h"

#include <dbghelp.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <string>

#include "core/debug_log.h"
#include "core/folders.h"
#include "core/owners.h"
#include "core/text_convert.h"
#include "crash/crash_report_builder.h"
#include "crash/crash_settings.h"
#include "crash/crash_upload.h"

namespace VemoSDK {

namespace {

// Long enough for the ping, the dump and the upload, each with time-outs of its own.
constexpr DWORD kCaptureWaitMs = 90 * 1000;
// A list lock that a frozen thread holds costs the report at most this.
constexpr std::chrono::milliseconds kListLockWait(500);

constexpr DWORD kCrashCodes[] = {0x80000001, 0x80000002, 0xC0000005, 0xC0000006, 0xC000001D,
                                 0xC0000025, 0xC000008C, 0xC000008E, 0xC0000090, 0xC0000091,
                                 0xC0000092, 0xC0000093, 0xC0000094, 0xC0000096, 0xC00000FD};

struct CaptureRequest {
  EXCEPTION_POINTERS* pointers = nullptr;
  std::string source;
  DWORD thread_id = 0;
};

struct CrashCaptureState {
  std::atomic<bool> installed{false};
  std::atomic<long> state{0};  // 0 idle, 1 capture running, 2 capture done
  std::atomic<long> uef_retry{0};
  std::atomic<CrashCallback> callback{nullptr};
  std::map<std::string, CrashExtInfoCallback> ext_info_callbacks;
  std::once_flag install_once;
  HANDLE request_event = nullptr;
  HANDLE done_event = nullptr;
  HANDLE thread = nullptr;
  CaptureRequest request;
};

CrashCaptureState& capture_state() {
  static CrashCaptureState state;
  return state;
}

std::string sanitized_for_file_name(const std::string& text) {
  std::string safe = text;
  for (char& c : safe) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
              c == '_';
    if (!ok) c = '_';
  }
  return safe;
}

std::string capture_timestamp() {
  std::time_t now = std::time(nullptr);
  std::tm local = {};
  localtime_s(&local, &now);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
  return text;
}

void capture_now(const CaptureRequest& request) {
  SymRefreshModuleList(GetCurrentProcess());
  upload_crash_statistics(CrashPingMode::kCrash);
  std::string crash_dir = crash_directory();
  std::string dump_dir = crash_dump_directory();
  make_dirs(crash_dir.c_str());
  make_dirs(dump_dir.c_str());
  std::string timestamp = capture_timestamp();
  save_coredump(timestamp, dump_dir, request.pointers, request.thread_id);
  std::string dump_name = make_crash_dump_name(timestamp, request.pointers);

  CrashExtraLines extra{"crash_handler_source: " + request.source};
  for (const auto& entry : capture_state().ext_info_callbacks) {
    const char* text = entry.second ? entry.second(entry.first.c_str()) : nullptr;
    extra.push_back(entry.first + ": " + (text ? text : ""));
  }
  const CrashSettings& settings = crash_settings();
  std::string path = write_crash_report_file(request.pointers, crash_dir, dump_name, settings.app_id,
                                             settings.app_version, get_crash_ext_info_text(kListLockWait),
                                             get_crash_user_action_text(kListLockWait), extra,
                                             request.thread_id);
  upload_crash_file(settings.upload_url, path);
}

DWORD WINAPI crash_thread_body(void*) {
  CrashCaptureState& state = capture_state();
  for (;;) {
    if (WaitForSingleObject(state.request_event, INFINITE) != WAIT_OBJECT_0) return 0;
    capture_now(state.request);
    SetEvent(state.done_event);
  }
}

LONG WINAPI VectoredCrashHandler(EXCEPTION_POINTERS* pointers) {
  if (!pointers || !pointers->ExceptionRecord || !is_crash_exception_code(pointers->ExceptionRecord->ExceptionCode))
    return EXCEPTION_CONTINUE_SEARCH;
  if (!vectored_handler_captures(pointers->ExceptionRecord)) return EXCEPTION_CONTINUE_SEARCH;
  handle_crash(pointers, "VEH");
  vemo_debug_printf(">> VEH(VectoredCrashHandler) finished, crash exception will go to next handler\n");
  return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI UnhandledExceptionHandler(EXCEPTION_POINTERS* pointers) {
  CrashCaptureState& state = capture_state();
  long now = state.state.load();
  if (now == 2) {
    vemo_debug_printf(">> UEF(UnhandledExceptionHandler): VEH already handled, skip\n");
  } else if (now == 0) {
    vemo_debug_printf(">> UEF(UnhandledExceptionHandler): VEH not triggered, fallback processing\n");
    handle_crash(pointers, "UEF_FALLBACK");
  } else if (state.uef_retry.exchange(1) == 1) {
    vemo_debug_printf(">> UEF(UnhandledExceptionHandler): VEH failed mid-way, UEF retry already exhausted, skip\n");
  } else {
    vemo_debug_printf(">> UEF(UnhandledExceptionHandler): VEH failed mid-way, retry processing\n");
    state.state.store(0);
    handle_crash(pointers, "UEF_RETRY");
  }
  vemo_debug_printf(">> UnhandledExceptionHandler finished, crash exception handle finished\n");
  return EXCEPTION_EXECUTE_HANDLER;
}

void install_once() {
  CrashCaptureState& state = capture_state();
  // The stack walks need the symbol handler; the modules are listed only when
  // a crash asks (listing them at start costs seconds under Wine).
  SymSetOptions(SymGetOptions() | SYMOPT_DEFERRED_LOADS);
  SymInitialize(GetCurrentProcess(), nullptr, FALSE);
  state.request_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  state.done_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (state.request_event && state.done_event) {
    state.thread = CreateThread(nullptr, 256 * 1024, crash_thread_body, nullptr, 0, nullptr);
  }
  AddVectoredExceptionHandler(1, VectoredCrashHandler);
}

}  // namespace

bool is_crash_exception_code(DWORD code) {
  for (DWORD listed : kCrashCodes) {
    if (listed == code) return true;
  }
  return false;
}

bool vectored_handler_captures(const EXCEPTION_RECORD* record) {
  if (!record || !is_crash_exception_code(record->ExceptionCode)) return false;
  return record->ExceptionCode == EXCEPTION_STACK_OVERFLOW ||
         record->ExceptionCode == EXCEPTION_NONCONTINUABLE_EXCEPTION ||
         (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) != 0;
}

LPTOP_LEVEL_EXCEPTION_FILTER set_crash_callback(CrashCallback callback) {
  CrashCaptureState& state = capture_state();
  state.installed = true;
  state.callback = callback;
  std::call_once(state.install_once, install_once);
  return SetUnhandledExceptionFilter(UnhandledExceptionHandler);
}

bool is_crash_handler_installed() { return capture_state().installed; }

void set_fill_crash_log_ext_info_callback(const char* key, CrashExtInfoCallback callback) {
  capture_state().ext_info_callbacks.emplace(key ? key : "", callback);
}

void handle_crash(EXCEPTION_POINTERS* pointers, const char* source) {
  CrashCaptureState& state = capture_state();
  long idle = 0;
  if (!state.state.compare_exchange_strong(idle, 1)) return;
  CaptureRequest request{pointers, source ? source : "", GetCurrentThreadId()};
  if (state.thread) {
    state.request = request;
    SetEvent(state.request_event);
    if (WaitForSingleObject(state.done_event, kCaptureWaitMs) != WAIT_OBJECT_0) {
      vemo_debug_printf("crash capture did not finish in %lu ms\n", static_cast<unsigned long>(kCaptureWaitMs));
      return;  // state stays 1: the filter may retry once
    }
  } else {
    capture_now(request);
  }
  if (CrashCallback callback = state.callback.load()) callback(pointers);
  state.state.store(2);
}

std::string make_crash_dump_name(const std::string& timestamp, const EXCEPTION_POINTERS* pointers) {
  DWORD code = 0;
  uintptr_t address = 0;
  if (pointers && pointers->ExceptionRecord) {
    code = pointers->ExceptionRecord->ExceptionCode;
    address = reinterpret_cast<uintptr_t>(pointers->ExceptionRecord->ExceptionAddress);
  }
  char name[512];
  std::snprintf(name, sizeof name, "%s/crash-%08X-%08X-%s.dmp", timestamp.c_str(), static_cast<unsigned>(code),
                static_cast<unsigned>(address), sanitized_for_file_name(crash_settings().app_version).c_str());
  return name;
}

bool save_coredump(const std::string& timestamp, const std::string& dump_directory, EXCEPTION_POINTERS* pointers,
                   DWORD faulting_thread_id) {
  make_dirs((dump_directory + "/" + timestamp).c_str());
  std::wstring path = utf8_to_wstring(dump_directory + "/" + make_crash_dump_name(timestamp, pointers));
  std::wstring partial = path + L".part";
  vemo::UniqueHandle file(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!file) {
    vemo_debug_printf("save_coredump err occured,err code :>> %d \n", static_cast<int>(GetLastError()));
    return false;
  }
  MINIDUMP_EXCEPTION_INFORMATION exception = {};
  exception.ThreadId = faulting_thread_id;
  exception.ExceptionPointers = pointers;
  exception.ClientPointers = TRUE;
  BOOL ok = MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file.get(), MiniDumpWithDataSegs,
                              pointers ? &exception : nullptr, nullptr, nullptr);
  DWORD error = GetLastError();
  file.reset();  // closed before the file is removed or renamed
  vemo_debug_printf("dump_ok = %d", ok ? 1 : 0);
  if (!ok) {
    vemo_debug_printf("MiniDumpWriteDump failed >>  GetLastError=%lu", static_cast<unsigned long>(error));
    DeleteFileW(partial.c_str());
    return false;
  }
  return MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace VemoSDK
