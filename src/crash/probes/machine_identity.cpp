#include "crash/probes/machine_identity.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "core/debug_log.h"
#include "core/md5.h"
#include "crash/probes/adapters.h"

namespace VemoSDK {

namespace {

std::string system_mac() {
  std::vector<unsigned char> buffer;
  const IP_ADAPTER_INFO* adapter = adapters_info(buffer);
  if (!adapter) return "";
  const BYTE* a = adapter->Address;
  char text[32];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
  return text;
}

std::string system_volume_serial() {
  DWORD serial = 0;
  if (!GetVolumeInformationW(L"C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return "0";
  char text[32] = {};
  std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(serial));
  return text;
}

std::atomic<IdentityProbe> mac_probe{system_mac};
std::atomic<IdentityProbe> serial_probe{system_volume_serial};

}  // namespace

const IP_ADAPTER_INFO* adapters_info(std::vector<unsigned char>& buffer) {
  ULONG size = sizeof(IP_ADAPTER_INFO);
  buffer.assign(size, 0);
  DWORD result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
  if (result == ERROR_BUFFER_OVERFLOW) {
    buffer.assign(size, 0);
    result = GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
  }
  return result == NO_ERROR ? reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()) : nullptr;
}

std::string vmsdk_get_mac_addr() { return mac_probe.load()(); }

std::string vmsdk_get_volume_serial() { return serial_probe.load()(); }

std::string device_id_of(const std::string& mac, const std::string& serial) {
  char hex[33];
  vemo_md5_hex((mac + serial).c_str(), hex);
  return hex;
}

std::string compute_device_id() { return device_id_of(vmsdk_get_mac_addr(), vmsdk_get_volume_serial()); }

void set_mac_probe(IdentityProbe probe) { mac_probe = probe ? probe : system_mac; }

void set_volume_serial_probe(IdentityProbe probe) { serial_probe = probe ? probe : system_volume_serial; }

}  // namespace VemoSDK
