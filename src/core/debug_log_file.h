#pragma once
// How the debug log chooses its file; separate so that the rules can be
// tried on any folder.
#include <windows.h>

#include <cstdint>
#include <string>

constexpr const char kDebugLogFolder[] = "c:\\VemoSdkLogs\\";
constexpr std::uint64_t kDebugLogFileLimit = 104857600;  // a file this big is not reused

// Whether a drive with this much free space may take the log (at least 1 GiB).
bool debug_log_disk_has_room(std::uint64_t free_bytes);

// "<folder>YYYY-MM-DD_<pid>_<index>.log" (folder with its trailing backslash).
std::string debug_log_file_name(const std::string& folder, const SYSTEMTIME& day, DWORD process_id,
                                int index);

// vemo_debug_open_log_file on any folder, with the given free space of its
// drive. The first call in a process decides; later calls change nothing.
void vemo_debug_open_log_file_in(const std::string& folder, std::uint64_t free_bytes);
