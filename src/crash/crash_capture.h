#pragma once
// In-process capture of fatal exceptions: a statistics ping, a minidump, a
// report file and its upload, then the host's callback. The work runs on a
// crash thread made at install (a faulting thread may have no stack left or
// hold the heap lock); the faulting thread waits for it, bounded.
#include <windows.h>

#include <cstdint>
#include <string>

namespace VemoSDK {

using CrashCallback = void (*)(EXCEPTION_POINTERS* pointers);
using CrashExtInfoCallback = const char* (*)(const char* key);

// Installs capture (once; a later call replaces the callback) and returns
// the unhandled-exception filter that was set before.
LPTOP_LEVEL_EXCEPTION_FILTER set_crash_callback(CrashCallback callback);
bool is_crash_handler_installed();
// A key already present keeps its first callback.
void set_fill_crash_log_ext_info_callback(const char* key, CrashExtInfoCallback callback);

// The fatal codes crash capture knows.
bool is_crash_exception_code(DWORD code);
// Whether the vectored handler captures this exception itself: only what no
// handler can catch (a stack overflow, a non-continuable exception); every
// other one takes its normal course to the unhandled-exception filter.
bool vectored_handler_captures(const EXCEPTION_RECORD* record);

// The capture body; source is "VEH", "UEF_FALLBACK" or "UEF_RETRY".
void handle_crash(EXCEPTION_POINTERS* pointers, const char* source);

// "<timestamp>/crash-<code>-<address>-<version>.dmp", the version text made
// safe for a file name.
std::string make_crash_dump_name(const std::string& timestamp, const EXCEPTION_POINTERS* pointers);
// Writes the minidump of the faulting thread under dump directory; true when
// it was written. The file takes its name only when complete.
bool save_coredump(const std::string& timestamp, const std::string& dump_directory, EXCEPTION_POINTERS* pointers,
                   DWORD faulting_thread_id);

}  // namespace VemoSDK
