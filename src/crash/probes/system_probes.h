#pragma once
// Small synchronous probes of the machine and the process, for the scripts'
// system information, the hardware information and the crash reports. Texts
// are UTF-8; an empty optional means the system call failed. Every probe may
// be called from any thread.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace VemoSDK {

// The process's processor time between two samples. Owned by one user, who
// serialises its samples.
struct CpuUsageProbe {
  FILETIME last_wall;
  FILETIME last_kernel;
  FILETIME last_user;
  unsigned processor_count;
  double usage;                // percent of one processor, may exceed 100
  double per_processor_usage;  // percent of the whole machine
};

CpuUsageProbe vmsdk_cpu_usage_info_start();
// Measures since the last sample (or the start); returns the per-processor usage.
double vmsdk_cpu_usage_sample(CpuUsageProbe& probe);
// The arithmetic of a sample, in 100-ns units: busy processor time over wall time.
void cpu_usage_from_times(CpuUsageProbe& probe, std::uint64_t busy, std::uint64_t wall);

struct MemoryUsage {
  std::uint64_t working_set_bytes = 0;
  std::uint64_t pagefile_bytes = 0;
};
// The current process's memory counters; false when they cannot be read.
bool vmsdk_memory_usage_sample(MemoryUsage& usage);

struct DriveSpace {
  char letter;
  std::uint64_t total_bytes;
  std::uint64_t free_bytes;
  std::uint64_t free_to_caller_bytes;
};
// Every fixed drive that answers, in drive order: a fresh list for each call.
std::vector<DriveSpace> vmsdk_disk_sample();

// Milliseconds since 1970 of the creation of a process (0: this one); -1 on failure.
std::int64_t vmsdk_process_creation_time(DWORD process_id);
// Creation and last-write times of the program file, ms since 1970 in whole
// seconds; 0 on failure.
std::uint64_t vmsdk_get_install_time();
std::uint64_t vmsdk_get_update_time();
// A FILETIME (UTC) as milliseconds since 1970.
std::int64_t filetime_to_unix_ms(const FILETIME& time);

std::optional<std::string> vmsdk_get_app_version_name();  // "%d.%d.%d.%d" of the program file
std::optional<std::string> vmsdk_get_country();            // ISO 3166 name of the system locale
std::optional<std::string> vmsdk_get_language();           // ISO 639 name of the system locale
std::optional<std::string> vmsdk_get_os_version();         // "Windows-major.minor.build"
std::string vmsdk_get_time_zone();                          // "GMT+08:00"
// The time zone text of a bias in minutes (UTC = local + bias).
std::string time_zone_of_bias(long bias);

std::uint64_t vmsdk_get_disk_size();    // total bytes of C:, read once (0 on failure)
std::uint64_t vmsdk_get_memory_size();  // total physical memory, read once (0 on failure)

// The first adapter address that is not "0.0.0.0".
std::optional<std::string> vmsdk_get_ip_addr();

}  // namespace VemoSDK
