// Probes of the system's version, locale, sizes and network addresses.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "crash/probes/adapters.h"
#include "crash/probes/system_probes.h"

namespace VemoSDK {

namespace {

std::optional<std::string> locale_text(LCTYPE type) {
  wchar_t text[64] = {};
  if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, type, text, 64)) return std::nullopt;
  return wstring_to_utf8(text);
}

// A value read once per process; all ones means not read yet.
constexpr std::uint64_t kNotRead = ~0ull;

template <class Read>
std::uint64_t read_once(std::atomic<std::uint64_t>& cache, Read read) {
  std::uint64_t value = cache.load();
  if (value == kNotRead) {
    value = read();
    cache.store(value);
  }
  return value;
}

}  // namespace

std::optional<std::string> vmsdk_get_app_version_name() {
  std::wstring path = get_module_relative_path(L"", true);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT info_size = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &info_size) || !info ||
      info_size < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  char text[128];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
  return std::string(text);
}

std::optional<std::string> vmsdk_get_country() { return locale_text(LOCALE_SISO3166CTRYNAME); }

std::optional<std::string> vmsdk_get_language() { return locale_text(LOCALE_SISO639LANGNAME); }

std::optional<std::string> vmsdk_get_os_version() {
  // The true version, which GetVersionEx hides from programs without a manifest.
  using VersionNumbers = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto numbers = ntdll ? reinterpret_cast<VersionNumbers>(
                             reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")))
                       : nullptr;
  if (!numbers) return std::nullopt;
  DWORD major = 0, minor = 0, build = 0;
  numbers(&major, &minor, &build);
  char text[64];
  std::snprintf(text, sizeof text, "Windows-%d.%d.%d", static_cast<int>(major), static_cast<int>(minor),
                static_cast<int>(build & 0xFFFF));
  return std::string(text);
}

std::string time_zone_of_bias(long bias) {
  // The sign comes from the bias itself: half-hour zones west of UTC have
  // no whole hours to carry it.
  long magnitude = std::labs(bias);
  char text[64];
  std::snprintf(text, sizeof text, "GMT%c%02ld:%02ld", bias > 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

std::string vmsdk_get_time_zone() {
  TIME_ZONE_INFORMATION zone = {};
  GetTimeZoneInformation(&zone);
  return time_zone_of_bias(zone.Bias);
}

std::uint64_t vmsdk_get_disk_size() {
  static std::atomic<std::uint64_t> cache{kNotRead};
  return read_once(cache, [] {
    ULARGE_INTEGER caller = {}, total = {}, free = {};
    return GetDiskFreeSpaceExW(L"C:\\", &caller, &total, &free) ? static_cast<std::uint64_t>(total.QuadPart) : 0;
  });
}

std::uint64_t vmsdk_get_memory_size() {
  static std::atomic<std::uint64_t> cache{kNotRead};
  return read_once(cache, [] {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? static_cast<std::uint64_t>(status.ullTotalPhys) : 0;
  });
}

std::optional<std::string> first_ip_address(const IP_ADAPTER_INFO* adapters) {
  for (const IP_ADAPTER_INFO* adapter = adapters; adapter; adapter = adapter->Next) {
    for (const IP_ADDR_STRING* address = &adapter->IpAddressList; address; address = address->Next) {
      std::string text(address->IpAddress.String, strnlen(address->IpAddress.String, sizeof address->IpAddress.String));
      if (text.empty() || text == "0.0.0.0") continue;
      return text;
    }
  }
  return std::nullopt;
}

std::optional<std::string> vmsdk_get_ip_addr() {
  std::vector<unsigned char> buffer;
  std::optional<std::string> address = first_ip_address(adapters_info(buffer));
  if (address) vemo_debug_printf("ip is %s\n", address->c_str());
  return address;
}

}  // namespace VemoSDK
