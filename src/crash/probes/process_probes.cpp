// Processor, memory, drive and time probes of the process and the machine.
#include <windows.h>
#include <psapi.h>

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "crash/probes/system_probes.h"

namespace VemoSDK {

namespace {

std::uint64_t ticks_of(const FILETIME& time) {
  return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// 100-ns intervals between 1601 and 1970.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;

bool program_file_times(FILETIME& created, FILETIME& written) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  std::wstring path = to_long_path(get_module_relative_path(L"", true));
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    vemo_debug_printf("get file attribute fail %d\n", static_cast<int>(GetLastError()));
    return false;
  }
  created = data.ftCreationTime;
  written = data.ftLastWriteTime;
  return true;
}

std::uint64_t whole_seconds_ms(const FILETIME& time) {
  std::int64_t ms = filetime_to_unix_ms(time);
  return ms < 0 ? 0 : static_cast<std::uint64_t>(ms / 1000 * 1000);
}

}  // namespace

CpuUsageProbe vmsdk_cpu_usage_info_start() {
  CpuUsageProbe probe = {};
  SYSTEM_INFO info = {};
  GetSystemInfo(&info);
  probe.processor_count = info.dwNumberOfProcessors ? info.dwNumberOfProcessors : 1;
  GetSystemTimeAsFileTime(&probe.last_wall);
  FILETIME created, exited;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &probe.last_kernel, &probe.last_user);
  return probe;
}

void cpu_usage_from_times(CpuUsageProbe& probe, std::uint64_t busy, std::uint64_t wall) {
  // No time has passed: the last measure stands.
  if (wall == 0) return;
  double share = static_cast<double>(busy) / static_cast<double>(wall);
  probe.usage = share * 100.0;
  probe.per_processor_usage = share / probe.processor_count * 100.0;
}

double vmsdk_cpu_usage_sample(CpuUsageProbe& probe) {
  FILETIME now, created, exited, kernel, user;
  GetSystemTimeAsFileTime(&now);
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return probe.per_processor_usage;
  std::uint64_t wall = ticks_of(now) - ticks_of(probe.last_wall);
  if (ticks_of(now) < ticks_of(probe.last_wall) || wall == 0) return probe.per_processor_usage;
  std::uint64_t busy = (ticks_of(kernel) - ticks_of(probe.last_kernel)) + (ticks_of(user) - ticks_of(probe.last_user));
  cpu_usage_from_times(probe, busy, wall);
  probe.last_wall = now;
  probe.last_kernel = kernel;
  probe.last_user = user;
  return probe.per_processor_usage;
}

bool vmsdk_memory_usage_sample(MemoryUsage& usage) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return false;
  usage.working_set_bytes = counters.WorkingSetSize;
  usage.pagefile_bytes = counters.PagefileUsage;
  return true;
}

std::vector<DriveSpace> vmsdk_disk_sample() {
  std::vector<DriveSpace> drives;
  wchar_t roots[256] = {};
  DWORD length = GetLogicalDriveStringsW(255, roots);
  if (length == 0 || length > 255) return drives;
  for (const wchar_t* root = roots; *root; root += wcslen(root) + 1) {
    if (GetDriveTypeW(root) != DRIVE_FIXED) continue;
    ULARGE_INTEGER caller = {}, total = {}, free = {};
    if (!GetDiskFreeSpaceExW(root, &caller, &total, &free)) {
      vemo_debug_printf("get disk size fail \n");
      continue;
    }
    char letter = static_cast<char>(root[0]);
    vemo_debug_printf("get disk size succ: %c:\\ totalSize=%lld freeSize=%lld freeSizeToCaller=%lld \n", letter,
                      static_cast<long long>(total.QuadPart), static_cast<long long>(free.QuadPart),
                      static_cast<long long>(caller.QuadPart));
    drives.push_back({letter, total.QuadPart, free.QuadPart, caller.QuadPart});
  }
  return drives;
}

std::int64_t filetime_to_unix_ms(const FILETIME& time) {
  // Straight from UTC: no trip through local calendar time, which would be an
  // hour off in summer time.
  return (static_cast<std::int64_t>(ticks_of(time)) - kUnixEpochTicks) / 10000;
}

std::int64_t vmsdk_process_creation_time(DWORD process_id) {
  vemo::UniqueHandle opened;
  HANDLE process = GetCurrentProcess();
  if (process_id != 0) {
    opened.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id));
    if (!opened) return -1;
    process = opened.get();
  }
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  return filetime_to_unix_ms(created);
}

std::uint64_t vmsdk_get_install_time() {
  FILETIME created, written;
  return program_file_times(created, written) ? whole_seconds_ms(created) : 0;
}

std::uint64_t vmsdk_get_update_time() {
  FILETIME created, written;
  return program_file_times(created, written) ? whole_seconds_ms(written) : 0;
}

}  // namespace VemoSDK
