// The system probes: their arithmetic on chosen inputs, the identity seam and
// the device id, and plausible answers from the machine itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <regex>
#include <string>

#include "crash/probes/adapters.h"
#include "crash/probes/machine_identity.h"
#include "crash/probes/system_probes.h"

namespace {

using namespace VemoSDK;

TEST(TimeZone, TheSignComesFromTheBias) {
  const std::pair<long, const char*> cases[] = {
      {-480, "GMT+08:00"}, {300, "GMT-05:00"}, {-345, "GMT+05:45"}, {-330, "GMT+05:30"},
      {0, "GMT+00:00"},    {30, "GMT-00:30"},  {210, "GMT-03:30"},  {-780, "GMT+13:00"},
  };
  for (const auto& [bias, expected] : cases) EXPECT_EQ(expected, time_zone_of_bias(bias)) << bias;
  EXPECT_TRUE(std::regex_match(vmsdk_get_time_zone(), std::regex("GMT[+-]\\d\\d:\\d\\d")));
}

TEST(CpuUsage, SharesOfOneProcessorAndOfTheMachine) {
  CpuUsageProbe probe = {};
  probe.processor_count = 4;
  cpu_usage_from_times(probe, 350, 100);
  EXPECT_DOUBLE_EQ(350.0, probe.usage);
  EXPECT_DOUBLE_EQ(87.5, probe.per_processor_usage);
  // No time passed: the last measure stands instead of a division by zero.
  cpu_usage_from_times(probe, 10, 0);
  EXPECT_DOUBLE_EQ(87.5, probe.per_processor_usage);

  CpuUsageProbe live = vmsdk_cpu_usage_info_start();
  EXPECT_GE(live.processor_count, 1u);
  volatile double spin = 0;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 100;) spin = spin + 1;
  double share = vmsdk_cpu_usage_sample(live);
  EXPECT_GT(live.usage, 10.0);
  EXPECT_LE(share, 100.0 + 1e-9);
}

std::string mac() { return "00:1A:2B:3C:4D:5E"; }
std::string serial() { return "1a2b3c4d"; }

TEST(DeviceId, IsTheDigestOfTheMacAndTheSerialFromTheSeam) {
  set_mac_probe(mac);
  set_volume_serial_probe(serial);
  // md5("00:1A:2B:3C:4D:5E1a2b3c4d"), computed elsewhere.
  EXPECT_EQ("6f81c37eada6a5dc843587a1c142239e", compute_device_id());
  EXPECT_EQ("00:1A:2B:3C:4D:5E", vmsdk_get_mac_addr());
  set_mac_probe(nullptr);
  set_volume_serial_probe(nullptr);
  // The machine's own: Wine lists adapters with MACs and a serial for C:.
  EXPECT_TRUE(std::regex_match(vmsdk_get_mac_addr(), std::regex("([0-9A-F]{2}:){5}[0-9A-F]{2}")))
      << vmsdk_get_mac_addr();
  EXPECT_TRUE(std::regex_match(vmsdk_get_volume_serial(), std::regex("[0-9a-f]+"))) << vmsdk_get_volume_serial();
  EXPECT_EQ(32u, compute_device_id().size());
}

TEST(ProcessTimes, CreationTimeIsUtcMillisecondsWithoutALocalDetour) {
  FILETIME epoch = {};
  ULARGE_INTEGER ticks;
  ticks.QuadPart = 116444736000000000ULL + 15000;  // 1.5 ms after 1970
  epoch.dwLowDateTime = ticks.LowPart;
  epoch.dwHighDateTime = ticks.HighPart;
  EXPECT_EQ(1, filetime_to_unix_ms(epoch));

  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  std::int64_t created = vmsdk_process_creation_time(0);
  EXPECT_LE(created, filetime_to_unix_ms(now));
  EXPECT_GT(created, filetime_to_unix_ms(now) - 600000);
  EXPECT_EQ(created, vmsdk_process_creation_time(GetCurrentProcessId()));
  EXPECT_EQ(-1, vmsdk_process_creation_time(0xFFFFFFF0));
  EXPECT_EQ(0u, vmsdk_get_install_time() % 1000);
  EXPECT_GT(vmsdk_get_update_time(), 1500000000000ull);
}

TEST(IpAddress, TheFirstAddressThatIsNotZero) {
  IP_ADAPTER_INFO first = {}, second = {};
  IP_ADDR_STRING second_more = {};
  std::strcpy(first.IpAddressList.IpAddress.String, "0.0.0.0");
  std::strcpy(second.IpAddressList.IpAddress.String, "0.0.0.0");
  std::strcpy(second_more.IpAddress.String, "192.168.1.20");
  second.IpAddressList.Next = &second_more;
  EXPECT_FALSE(first_ip_address(&first));
  first.Next = &second;
  EXPECT_EQ("192.168.1.20", first_ip_address(&first).value_or("none"));
  EXPECT_FALSE(first_ip_address(nullptr));
}

TEST(SystemProbes, AnswerFromTheMachine) {
  EXPECT_TRUE(std::regex_match(vmsdk_get_os_version().value_or(""), std::regex("Windows-\\d+\\.\\d+\\.\\d+")));
  EXPECT_FALSE(vmsdk_get_country().value_or("").empty());
  EXPECT_FALSE(vmsdk_get_language().value_or("").empty());
  EXPECT_GT(vmsdk_get_memory_size(), 0u);
  EXPECT_EQ(vmsdk_get_memory_size(), vmsdk_get_memory_size());
  EXPECT_GT(vmsdk_get_disk_size(), 0u);
  // The test program carries no version resource.
  EXPECT_FALSE(vmsdk_get_app_version_name());
  std::vector<DriveSpace> drives = vmsdk_disk_sample();
  ASSERT_FALSE(drives.empty());
  for (const DriveSpace& drive : drives) EXPECT_GE(drive.total_bytes, drive.free_bytes) << drive.letter;
  MemoryUsage memory;
  ASSERT_TRUE(vmsdk_memory_usage_sample(memory));
  EXPECT_GT(memory.working_set_bytes, 0u);
  std::string ip = vmsdk_get_ip_addr().value_or("none");
  EXPECT_NE("0.0.0.0", ip);
}

}  // namespace
