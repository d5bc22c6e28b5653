// The crash reports: the report file of a capture, the immediate error report
// and the Lua errors that reach the crash-report service through it.
#include <gtest/gtest.h>

#include <windows.h>

#include <lua.hpp>

#include <algorithm>
#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/owners.h"
#include "core/sdk_context.h"
#include "crash/crash_report_builder.h"
#include "crash/crash_settings.h"
#include "crash/lua_error_limiter.h"
#include "http/http.h"
#include "http_test_support.h"
#include "sdk/exports.h"
#include "test_support.h"

namespace {

using namespace VemoSDK;
using vemo::test::TempDir;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Where each wanted line is found, in order; fails naming the first missing one.
void expect_in_order(const std::string& text, const std::vector<std::string>& starts) {
  std::vector<std::string> lines = lines_of(text);
  size_t at = 0;
  for (const std::string& start : starts) {
    while (at < lines.size() && lines[at].compare(0, start.size(), start) != 0) ++at;
    ASSERT_LT(at, lines.size()) << "missing, or out of order: \"" << start << "\" in\n" << text;
    ++at;
  }
}

// The report texts the test server's upload endpoint got in a group, waiting
// up to 10 s for at least `count`.
std::vector<std::string> uploaded_reports(const std::string& group, size_t count) {
  std::vector<std::string> reports;
  for (int wait = 0; wait < 100; ++wait) {
    reports.clear();
    vemo::JsonPtr stats = vemo::test::server_stats(group);
    const cJSON* requests = cJSON_GetObjectItemCaseSensitive(stats.get(), "requests");
    for (const cJSON* r = requests ? requests->child : nullptr; r; r = r->next) {
      const cJSON* part = cJSON_GetArrayItem(cJSON_GetObjectItemCaseSensitive(r, "parts"), 0);
      const cJSON* data = cJSON_GetObjectItemCaseSensitive(part, "data");
      const cJSON* name = cJSON_GetObjectItemCaseSensitive(part, "filename");
      if (cJSON_IsString(data)) reports.push_back(std::string(cJSON_IsString(name) ? name->valuestring : "") +
                                                  "\n" + data->valuestring);
    }
    if (reports.size() >= count) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return reports;
}

class CrashReportTest : public ::testing::Test {
protected:
  void SetUp() override {
    vmsdk_http_global_init();
    reset_crash_settings();
    vemo::test::write_file(dir_.file("sdkconfig.json"),
                           "{\"game_id\":\"7\",\"sdks\":[{\"name\":\"CRASH_SDK\",\"meta\":{\"url\":\"" +
                               vemo::test::http_base_url() + "/_/crash/upload?group=" + group() + "\"}}]}");
    vemosdk_set_context(build_sdk_context(dir_.path() + "\\", "", "1.0.9", nullptr));
    init_crash_sdk("1.0.9");
    vemo::test::reset_server_stats(group());
  }
  void TearDown() override {
    vemosdk_set_context(nullptr);
    reset_crash_settings();
  }
  std::string group() const { return std::string("crash_") + ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
  TempDir dir_{"crash_report"};
};

TEST_F(CrashReportTest, TheImmediateReportHoldsItsSectionsInOrder) {
  add_crash_user_action("scene", "lobby");
  add_crash_ext_info("channel", "beta");
  std::string name;
  std::string text = build_crash_report_immediate("kvz7", "1.0.9", "custom", "it broke", "frame 1\nframe 2", "h1",
                                                  get_crash_ext_info_text(), get_crash_user_action_text(), &name);
  EXPECT_TRUE(std::regex_match(name, std::regex(R"(kvz7_1\.0\.9___\d+\.\d+_\d{13}_\d{10}_fg_custom\.log)"))) << name;
  expect_in_order(text, {"*** *** ***", "Basic Information: 'pid: " + std::to_string(GetCurrentProcessId()) + "/tid: ",
                         "Runtime Information: 'start: ", "CrashSDK Information: 'version: 3.0.14/nativeseq: 0000",
                         "Log Type: custom", "Process: kvz7", "Report Name: " + name, "Version: 1.0.9",
                         "SubVersion: app", "OS Version: ", "--- --- ---", "uuid: ", "mt_game_id: 7", "wk_utdid: ",
                         "wk_pkg_name: ", "cpu: ", "cpu_total: ", "mem: ", "rss_mem: ", "mem_total_phys: ",
                         "mem_avail_page_file: ", "runtime: ", "res: ", "os: windows", "os_ver: Windows-",
                         "cpu_model: ", "device: ", "cpu_score: ", "gpu_score: ", "stackHash: h1", "channel: beta",
                         "--- --- ---", "user_action: (1/100)", "scene: lobby", "--- --- ---", "Back traces starts.",
                         "frame 1", "frame 2", "Back traces ends.", "--- --- ---", "meminfo:", "MemTotal:        ",
                         "MemFree:           0000 kB", "MemAvailable:     ", "--- --- ---", "disk info:",
                         "--- --- ---", "msg:", "it broke"});
  // Without a connection the key is spelt as the service reads it.
  EXPECT_TRUE(std::regex_search(text, std::regex("\n(network: (wifi|wired)|netwrok: not_network)\n"))) << text;
}

TEST_F(CrashReportTest, TheReportFileIsWholeOrAbsent) {
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = 0xC0000005;
  CONTEXT context = {};
  EXCEPTION_POINTERS pointers = {&record, &context};
  std::string folder = dir_.path() + "/crash";
  CreateDirectoryW(std::wstring(folder.begin(), folder.end()).c_str(), nullptr);
  std::string path = write_crash_report_file(&pointers, folder, "20240102_030405/crash-C0000005-00000000-1.0.9.dmp",
                                             "kvz7", "1.0.9", "k: v", "user_action: (0/100)",
                                             {"crash_handler_source: VEH"});
  EXPECT_EQ(path.rfind(folder + "/kvz7_1.0.9___", 0), 0u) << path;
  std::string bytes;
  ASSERT_TRUE(vemo::test::read_file(path, bytes));
  EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);  // text mode: CR LF
  expect_in_order(bytes, {"Log Type: jni", "Report Name: " + path, "crash_handler_source: VEH", "k: v",
                          "user_action: (0/100)",
                          "signal 0 (unkown), code C0000005 (EXCEPTION_ACCESS_VIOLATION), fault addr 00000000",
                          "meminfo:", "disk info:",
                          "wk_dump_file_name:20240102_030405/crash-C0000005-00000000-1.0.9.dmp",
                          std::string("wk_crash_doc_url:") + crash_builtin_doc_url()});
  // Only the finished report is in the folder: no temporary file stays.
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((std::wstring(folder.begin(), folder.end()) + L"\\*").c_str(), &found);
  int files = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_EQ(files, 1);

  std::string nowhere = write_crash_report_file(&pointers, dir_.path() + "/missing\"folder", "d", "kvz7", "1.0.9", "",
                                                "", {});
  EXPECT_FALSE(vemo::test::file_exists(nowhere));
}

TEST_F(CrashReportTest, AnErrorReportReachesTheServiceWithNullsReadAsEmpty) {
  vemosdk_error_report("custom", nullptr, "bad state", nullptr, nullptr, nullptr);
  std::vector<std::string> reports = uploaded_reports(group(), 1);
  ASSERT_EQ(reports.size(), 1u);
  expect_in_order(reports[0], {"kvz7_1.0.9___", "Log Type: custom", "Process: kvz7", "Back traces starts.", "",
                               "Back traces ends.", "msg:", "bad state"});
}

int run_with_sdk_handler(lua_State* L, const char* chunk) {
  lua_pushcfunction(L, vemosdk_on_lua_error);
  luaL_loadstring(L, chunk);
  return lua_pcall(L, 0, 0, -2);
}

TEST_F(CrashReportTest, LuaErrorsAreReportedOnceEach) {
  vemo::LuaStatePtr state(luaL_newstate());
  lua_State* L = state.get();
  luaL_openlibs(L);
  for (int i = 0; i < 5; ++i) {  // a failing tick repeats the same error
    EXPECT_EQ(run_with_sdk_handler(L, "error('boom in tick')"), LUA_ERRRUN);
    lua_settop(L, 0);
  }
  EXPECT_EQ(run_with_sdk_handler(L, "error({})"), LUA_ERRRUN);
  EXPECT_EQ(std::string(lua_tostring(L, -1)).rfind("(error object is a table value)\nstack traceback:", 0), 0u);
  state.reset();
  std::vector<std::string> reports = uploaded_reports(group(), 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // a third would have come by now
  reports = uploaded_reports(group(), 2);
  ASSERT_EQ(reports.size(), 2u);
  std::sort(reports.begin(), reports.end(), [](const std::string& a, const std::string& b) {
    return a.find("boom") != std::string::npos && b.find("boom") == std::string::npos;
  });
  expect_in_order(reports[0], {"kvz7_1.0.9___", "Log Type: lua", "Back traces starts.",
                               "[string \"error('boom in tick')\"]:1: boom in tick", "stack traceback:",
                               "Back traces ends.", "msg:", "[string \"error('boom in tick')\"]:1: boom in tick"});
  EXPECT_TRUE(std::regex_search(reports[0], std::regex(R"(^kvz7_1\.0\.9___\d+\.\d+_\d{13}_\d{10}_fg_lua\.log\n)")));
  expect_in_order(reports[1], {"Log Type: lua", "Back traces starts.", "(error object is a table value)",
                               "stack traceback:", "msg:", "(error object is a table value)"});
}

TEST(LuaErrorLimiterTest, DropsRepeatsAndBurstsWithinTheWindow) {
  LuaErrorLimiter limiter;
  EXPECT_TRUE(limiter.allow("a", 0));
  EXPECT_FALSE(limiter.allow("a", 1000));
  EXPECT_TRUE(limiter.allow("a", kLuaErrorWindowMs));  // the window has passed
  for (size_t i = 1; i < kLuaErrorBurst; ++i) EXPECT_TRUE(limiter.allow("e" + std::to_string(i), kLuaErrorWindowMs));
  EXPECT_FALSE(limiter.allow("one too many", kLuaErrorWindowMs + 1));
  EXPECT_TRUE(limiter.allow("one too many", 2 * kLuaErrorWindowMs));
}

}  // namespace
