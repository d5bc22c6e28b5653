// Crash settings, the text record of an exception, the signed statistics ping
// and report uploads against the test server's crash-report service.
#include <gtest/gtest.h>

#include <windows.h>
#include <bcrypt.h>

#include <dbghelp.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "core/sdk_context.h"
#include "core/text_convert.h"
#include "crash/crash_settings.h"
#include "crash/crash_tombstone.h"
#include "crash/crash_upload.h"
#include "http/http.h"
#include "http_test_support.h"
#include "test_support.h"

namespace {

using namespace VemoSDK;
using vemo::test::TempDir;

const char* log_line_of(const std::vector<std::string>& lines, const std::string& start) {
  for (const std::string& line : lines) {
    if (line.compare(0, start.size(), start) == 0) return line.c_str();
  }
  return nullptr;
}

// A program folder with a sdkconfig.json whose "CRASH_SDK" meta is given.
class CrashSettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    vmsdk_http_global_init();
    reset_crash_settings();
  }
  void TearDown() override {
    vemosdk_set_context(nullptr);
    reset_crash_settings();
  }
  void useConfig(const std::string& meta_json) {
    std::string config = "{\"game_id\":\"123\",\"sdks\":[{\"name\":\"CRASH_SDK\",\"meta\":" + meta_json + "}]}";
    if (meta_json.empty()) config = "{\"game_id\":\"123\"}";
    vemo::test::write_file(dir_.file("sdkconfig.json"), config);
    vemosdk_set_context(build_sdk_context(dir_.path() + "\\", "", "1.0.9", nullptr));
  }
  std::string serviceUrl(const std::string& rest) { return vemo::test::http_base_url() + "/_/crash/" + rest; }
  TempDir dir_{"crash_settings"};
};

TEST_F(CrashSettingsTest, ReadsTheCrashSdkEntryAndKeepsItsOwnCopies) {
  struct Case {
    const char* meta;
    const char* app_id;
    const char* upload_url;
    bool debuggable;
  } cases[] = {
      {"", "kvz123", crash_builtin_upload_url(), false},
      {"{\"app_id\":\"A\",\"secret\":\"s\",\"upload_crash_file_url\":\"http://u\",\"url\":\"http://wins\"}", "A",
       "http://wins", false},
      {"{\"upload_crash_file_url\":\"http://u\",\"debuggable\":\"true\"}", "kvz123", "http://u", true},
      {"{\"debuggable\":\"false\"}", "kvz123", crash_builtin_upload_url(), false},
      {"{\"debuggable\":true,\"app_id\":7}", "kvz123", crash_builtin_upload_url(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meta);
    reset_crash_settings();
    useConfig(c.meta);
    vemo::test::DebugLogCapture log;
    init_crash_sdk("1.0.9");
    const CrashSettings& settings = crash_settings();
    EXPECT_EQ(settings.app_id, c.app_id);
    EXPECT_EQ(settings.app_version, "1.0.9");
    EXPECT_EQ(settings.upload_url, c.upload_url);
    EXPECT_EQ(settings.statistics_url, crash_builtin_statistics_url());
    EXPECT_EQ(settings.debuggable, c.debuggable);
    if (std::string(c.meta).empty()) {
      EXPECT_TRUE(log_line_of(log.lines(), "get crash sdk cfg failed"));
      EXPECT_TRUE(log_line_of(log.lines(), "secret is empty"));  // the page-view ping is not sent
    }
  }
  // A second start rereads the configuration into the same record: texts
  // taken before stay what they were.
  std::string before = crash_settings().upload_url;
  useConfig("{\"url\":\"http://second\"}");
  init_crash_sdk("1.0.9");
  EXPECT_EQ(crash_settings().upload_url, "http://second");
  EXPECT_EQ(before, crash_builtin_upload_url());
}

TEST_F(CrashSettingsTest, ListsKeepTheirLimitAndTheirTextForms) {
  EXPECT_EQ(get_crash_user_action_text(), "user_action: (0/100)");
  EXPECT_EQ(get_crash_ext_info_text(), "");
  for (int i = 0; i <= 100; ++i) add_crash_user_action(("k" + std::to_string(i)).c_str(), "v");
  std::string text = get_crash_user_action_text();
  EXPECT_EQ(text.rfind("user_action: (100/100)\nk1: v\nk2: v", 0), 0u) << text;
  EXPECT_EQ(text.substr(text.size() - 7), "k100: v");
  add_crash_ext_info("a", "1");
  add_crash_ext_info("a", "2");
  add_crash_ext_info(nullptr, nullptr);
  EXPECT_EQ(get_crash_ext_info_text(), "a: 1\na: 2\n: ");

  useConfig("");
  init_crash_sdk("1.0.9");  // a new start clears both lists
  EXPECT_EQ(get_crash_user_action_text(), "user_action: (0/100)");
  EXPECT_EQ(get_crash_ext_info_text(), "");
}

TEST_F(CrashSettingsTest, AListLockHeldElsewhereCostsACrashOnlyABoundedWait) {
  add_crash_user_action("k", "v");
  auto held = hold_crash_user_actions();
  std::string text;
  std::thread reader([&] { text = get_crash_user_action_text(std::chrono::milliseconds(50)); });
  reader.join();  // returns although the lock is never given back
  EXPECT_EQ(text, "user_action: (0/100)");
}

TEST(CrashTombstoneTest, WritesTheExceptionAndRegistersInTheirFixedLayout) {
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = 0xC0000005;
  record.ExceptionAddress = reinterpret_cast<void*>(0x0041A2B0);
  CONTEXT context = {};
  context.Eax = 0x1;
  context.Ebx = 0xAB;
  context.Ecx = 0xFFFFFFFF;
  context.Edx = 0x10;
  context.Eip = 0x0041A2B0;
  context.Esp = 0x0022FF00;
  context.Ebp = 0x0022FF40;
  context.Edi = 0x7;
  context.Esi = 0xDEADBEEF;
  EXCEPTION_POINTERS pointers = {&record, &context};
  CrashTombstone tombstone = write_crash_tombstone(&pointers, false);
  tombstone.frames = {{0, 0x1234, "C:\\game\\game.exe"}, {1, 0x7FFE0000, ""}};
  std::ostringstream out;
  out << tombstone;

  wchar_t path[2048];
  std::string process = wstring_to_utf8(std::wstring(path, GetModuleFileNameW(nullptr, path, 2048)));
  std::string tid = std::to_string(GetCurrentThreadId());
  std::string expected = "Process Name: '" + process + "'\nThread Name: '" + tid + "'\npid: " +
                         std::to_string(GetCurrentProcessId()) + ", tid: " + tid + " >>> " + process + " <<<\n" +
                         "signal 0 (unkown), code C0000005 (EXCEPTION_ACCESS_VIOLATION), fault addr 0041A2B0\n"
                         "  Eax 00000001   Ebx 000000AB   Ecx FFFFFFFF   Edx 00000010\n"
                         "  Eip 0041A2B0   Esp 0022FF00   Ebp 0022FF40\n"
                         "  Edi 00000007   Esi DEADBEEF\n"
                         "    #00 pc 00001234 C:\\game\\game.exe\n"
                         "    #01 pc 7FFE0000 \n";
  EXPECT_EQ(out.str(), expected);
}

TEST(CrashTombstoneTest, NamesCodesFromItsTable) {
  EXPECT_STREQ(crash_exception_name(0xC00000FD), "EXCEPTION_STACK_OVERFLOW");
  EXPECT_STREQ(crash_exception_name(0x80000004), "EXCEPTION_SINGLE_STEP");
  EXPECT_STREQ(crash_exception_name(0xE0000001), "unkown");
}

TEST(CrashTombstoneTest, AWalkStopsAtTheLimitAtAZeroReturnAndWhenFramesStopGrowing) {
  struct Case {
    std::uint64_t previous, frame, return_address;
    size_t taken;
    bool goes_on;
  } cases[] = {
      {0, 0x100, 0x401000, 1, true},       {0x100, 0x200, 0x401000, 2, true},
      {0x200, 0x200, 0x401000, 3, false},  {0x200, 0x100, 0x401000, 3, false},
      {0x100, 0x200, 0, 2, false},         {0x100, 0x200, 0x401000, kCrashStackFrameLimit, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(crash_walk_continues(c.previous, c.frame, c.return_address, c.taken), c.goes_on)
        << c.previous << " " << c.frame << " " << c.taken;
  }
}

__attribute__((noinline)) CONTEXT capture_here() {
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_FULL;
  RtlCaptureContext(&context);
  return context;
}

TEST(CrashTombstoneTest, WalksARealStackIntoThisProgram) {
  SymInitialize(GetCurrentProcess(), nullptr, TRUE);
  CONTEXT context = capture_here();
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = 0xE0000001;
  EXCEPTION_POINTERS pointers = {&record, &context};
  CrashTombstone tombstone = write_crash_tombstone(&pointers);
  ASSERT_FALSE(tombstone.frames.empty());
  ASSERT_LE(tombstone.frames.size(), kCrashStackFrameLimit);
  EXPECT_EQ(tombstone.frames[0].index, 0u);
  EXPECT_EQ(tombstone.frames[0].module_path, tombstone.process_path);
  EXPECT_EQ(tombstone.exception_name, "unkown");
}

class CrashUploadTest : public CrashSettingsTest {};

TEST_F(CrashUploadTest, ThePingIsSignedOverElevenPairsAndTheSecret) {
  useConfig("{\"app_id\":\"kvzA\",\"secret\":\"S3\"}");
  init_crash_sdk("1.0.9");
  CrashPing ping;
  ASSERT_TRUE(build_crash_ping(CrashPingMode::kCrash, "1700000000", "00:11:22:33:44:55", ping));
  std::string pairs = "app=kvzAcp=nonecver=0de=1os=windowsseq=0sver=3.0.14tm=1700000000type=crash"
                      "ud=00:11:22:33:44:55ver=1.0.9";
  EXPECT_EQ(ping.signature, vemo::test::windows_digest_hex(BCRYPT_MD5_ALGORITHM, pairs + "S3"));
  EXPECT_EQ(ping.params, "&app=kvzA&cp=none&cver=0&de=1&os=windows&seq=0&sver=3.0.14&tm=1700000000&type=crash"
                         "&ud=00:11:22:33:44:55&ver=1.0.9");
  EXPECT_EQ(ping.url, std::string(crash_builtin_statistics_url()) + "/api/v1/track/upload");

  CrashPing other;
  set_crash_version_info("1.0.10", "3.0.14", nullptr);
  ASSERT_TRUE(build_crash_ping(CrashPingMode::kCrash, "1700000000", "00:11:22:33:44:55", other));
  EXPECT_NE(other.signature, ping.signature);
  EXPECT_NE(other.params.find("&ver=1.0.10"), std::string::npos);
}

TEST_F(CrashUploadTest, TheBodyEscapesItsValuesAndLeavesOutEmptyDeviceTexts) {
  useConfig("{\"app_id\":\"a\\\"b\",\"secret\":\"S\"}");
  init_crash_sdk("1.0.9");
  set_crash_version_info("1.0.9", "3.0.14", "Windows-6.1.7601");
  CrashPing ping;
  ASSERT_TRUE(build_crash_ping(CrashPingMode::kPageView, "17", "mac", ping));
  EXPECT_EQ(ping.body, "{\"wpk_appid\":\"a\\\"b\",\"version\":\"1.0.9\",\"uuid\":\"mac\",\"wd_stm\":17,"
                       "\"rom\":\"Windows-6.1.7601\",\"k_ct\":\"pv\",\"k_ac\":\"\",\"cnt\": 1,\"bg\": 0}");
  set_crash_cpu("Cpu \"X\"");
  set_crash_brand_model("Brand", nullptr);
  ASSERT_TRUE(build_crash_ping(CrashPingMode::kCrash, "17", "mac", ping));
  EXPECT_NE(ping.body.find(",\"brand\":\"Brand\",\"cpu\":\"Cpu \\\"X\\\"\",\"k_ct\":\"crash\",\"k_ac\":\"native\""),
            std::string::npos)
      << ping.body;
}

TEST_F(CrashUploadTest, TheServiceSeesSignedPingsOfBothModes) {
  vemo::test::reset_server_stats("crash_S9");
  useConfig("{\"secret\":\"S9\",\"statistics_url\":\"" + serviceUrl("S9") + "\"}");
  init_crash_sdk("1.0.9");  // the first start sends the page-view ping in the background
  EXPECT_TRUE(upload_crash_statistics(CrashPingMode::kCrash));
  init_crash_sdk("1.0.9");  // a second start sends none
  vemo::JsonPtr stats;
  std::vector<std::string> kinds;
  for (int wait = 0; wait < 100 && kinds.size() < 2; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stats = vemo::test::server_stats("crash_S9");
    kinds.clear();
    const cJSON* requests = cJSON_GetObjectItemCaseSensitive(stats.get(), "requests");
    for (const cJSON* r = requests ? requests->child : nullptr; r; r = r->next) {
      EXPECT_TRUE(cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(r, "sign_ok")));
      const char* body = cJSON_GetObjectItemCaseSensitive(r, "body")->valuestring;
      kinds.push_back(std::string(body).find("\"k_ct\":\"pv\"") != std::string::npos ? "pv" : "crash");
    }
  }
  std::sort(kinds.begin(), kinds.end());
  EXPECT_EQ(kinds, (std::vector<std::string>{"crash", "pv"}));
}

TEST_F(CrashUploadTest, AnUploadIsAcceptedOnlyByCode200AndSuccess1) {
  struct Case {
    const char* answer;
    bool debuggable;
    bool accepted;
    bool kept;
    const char* log_start;
  } cases[] = {
      {"accept", false, true, false, "crash dump upload succ, resp="},
      {"true", false, false, true, "crash file upload fail, resp="},
      {"broken", false, false, true, "crash file upload fail, resp="},
      {"accept", true, true, true, "crash file upload fail, resp="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.answer) + (c.debuggable ? " debuggable" : ""));
    crash_settings().debuggable = c.debuggable;
    std::string path = dir_.file("kvz_report.log");
    vemo::test::write_file(path, "report text");
    vemo::test::DebugLogCapture log;
    EXPECT_EQ(upload_crash_file(serviceUrl("upload?answer=") + c.answer, path), c.accepted);
    EXPECT_EQ(vemo::test::file_exists(path), c.kept);
    EXPECT_TRUE(log_line_of(log.lines(), c.log_start));
  }
  std::string path = dir_.file("kvz_report.log");
  vemo::test::DebugLogCapture log;
  EXPECT_FALSE(upload_crash_file("http://127.0.0.1:1/upload", path));
  EXPECT_TRUE(log_line_of(log.lines(), "crash file uploaded " + path + " failed"));
  EXPECT_TRUE(vemo::test::file_exists(path));
}

TEST_F(CrashUploadTest, PendingUploadsSendOnlyFinishedReportsOfThisApp) {
  useConfig("{\"app_id\":\"A\",\"url\":\"" + serviceUrl("upload?group=crash_pending") + "\"}");
  init_crash_sdk("1.0.9");
  vemo::test::reset_server_stats("crash_pending");
  std::string folder = crash_directory();
  CreateDirectoryW(utf8_to_wstring(folder).c_str(), nullptr);
  for (const char* name : {"A_1.log", "B_1.log", "A_2.log.part"}) {
    vemo::test::write_file(folder + "/" + name, name);
  }
  upload_pending_crash_files();
  vemo::JsonPtr stats = vemo::test::server_stats("crash_pending");
  const cJSON* requests = cJSON_GetObjectItemCaseSensitive(stats.get(), "requests");
  ASSERT_EQ(cJSON_GetArraySize(requests), 1);
  const cJSON* part = cJSON_GetArrayItem(cJSON_GetObjectItemCaseSensitive(requests->child, "parts"), 0);
  EXPECT_STREQ(cJSON_GetObjectItemCaseSensitive(part, "name")->valuestring, "file");
  EXPECT_STREQ(cJSON_GetObjectItemCaseSensitive(part, "data")->valuestring, "A_1.log");
  EXPECT_FALSE(vemo::test::file_exists(folder + "/A_1.log"));
  EXPECT_TRUE(vemo::test::file_exists(folder + "/B_1.log"));
  EXPECT_TRUE(vemo::test::file_exists(folder + "/A_2.log.part"));
}

}  // namespace
