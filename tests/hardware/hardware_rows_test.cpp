// The _vemosdk hardware rows: each answers its callback id once, with the
// answer's fields, and no row of the system functions is left unbuilt.
#include "vemosdk_fixture.h"

#include <cjson/cJSON.h>

#include <regex>

namespace {

using HardwareRows = vemo::test::VemosdkModule;

TEST_F(HardwareRows, EachRowAnswersItsCallbackOnce) {
  const std::pair<const char*, const char*> cases[] = {
      {"sysinfo_cpu_usage", R"(\{"succ":true,"cores":\d+,"usage":[-0-9.e]+,"usage_solaris_mode":[-0-9.e]+\})"},
      {"sysinfo_memory", R"(\{"succ":true,"appPSS":\d+,"VmRSS":\d+\})"},
      {"sysinfo_launch_time", R"(\{"succ":true,"launch_time":1\d{12}\})"},
      {"network_current_state", R"(\{"succ":true,"state":[0-3]\})"},
      {"get_screen_refresh_rate", R"(\{"frame_rate_max":\d+\})"},
      {"get_disk_info_async",
       R"(\{"succ":true,"disk_info_list":\[\{"disk_symbol":"[A-Z]","total_size":\d+,"free_size":\d+,"free_to_caller_size":\d+\}.*\]\})"},
      {"get_cpu_info_async", R"(\{"succ":true,"model":".+","core_num":\d+,"max_freq":\d+\})"},
      {"get_computer_info_async", R"(\{"succ":true,"model":".*","manufacturer":".*"\})"},
      {"get_gpu_info_async",
       R"(\{"succ":true,"gpus":\[\{"model":".*","vendor":".*","availability":\d+,"memory":\d+,"driver_version":".*"\}.*\]\})"},
  };
  int id = 100;
  for (const auto& [name, pattern] : cases) {
    ++id;
    std::string results = run(std::string("return _vemosdk.") + name + "(" + std::to_string(id) + ")");
    EXPECT_EQ(std::string(name) == "network_current_state" ? std::to_string(id) : "", results) << name;
    std::string answer = answer_for(id);
    EXPECT_TRUE(std::regex_match(answer, std::regex(pattern))) << name << " answered " << answer;
  }
  // Nothing more comes for any of them.
  Sleep(300);
  std::string more;
  for (std::string task; (task = run("return _vemosdk.tick()")) != "nil";) more += task + ";";
  EXPECT_EQ("", more);
  EXPECT_NE(std::string::npos, run("_vemosdk.get_cpu_info_async('x')").find("bad argument #1"));
}

TEST_F(HardwareRows, NoSystemInformationRowRaisesNotAvailable) {
  const char* const calls[] = {
      "sysinfo()", "sysinfo_idfa()", "sysinfo_os_version()", "sysinfo_memory_size()", "sysinfo_country()",
      "sysinfo_language()", "sysinfo_disk_size()", "sysinfo_install_time()", "sysinfo_update_time()",
      "sysinfo_ip_addr()", "sysinfo_app_version_name()", "sysinfo_time_zone()", "sysinfo_cpu_usage(1)",
      "sysinfo_memory(2)", "sysinfo_launch_time(3)", "network_current_state(4)", "get_screen_refresh_rate(5)",
      "get_cpu_info_async(6)", "get_gpu_info_async(7)", "get_computer_info_async(8)", "get_disk_info_async(9)",
  };
  for (const char* call : calls) {
    std::string result = run(std::string("return _vemosdk.") + call);
    EXPECT_EQ(std::string::npos, result.find("error")) << call << ": " << result;
  }
  for (int id = 1; id <= 9; ++id) EXPECT_NE("<no answer>", answer_for(id)) << id;
}

}  // namespace
