// The vendor proxy with real plug-in DLLs (built by this test run) in a
// vendors folder: loading by the six spellings, registration, the duplicate
// key, a DLL without the export, initialisation in key order, the three kinds
// of call, and the built-in crash and security vendors with a stand-in
// security DLL. This test program is the host: the plug-ins find its exports.
#include "vendor/vendor_proxy.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/dir_tree.h"
#include "core/folders.h"
#include "core/lua_task_queue.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "crash/crash_settings.h"
#include "lua_values.h"
#include "test_support.h"
#include "vendor/security_bridge.h"
#include "vendor/vendor_security.h"

extern "C" {
void vemosdk_set_vendors_path(const char* path);
int vemosdk_tick(lua_State* L);
}

namespace {

using vemo::test::DebugLogCapture;
using vemo::test::LuaStateHolder;
using vemo::test::pop_values;
using vemo::test::TempDir;
using Values = std::vector<std::string>;

void place(const std::string& dll, const std::string& target) {
  std::wstring to = utf8_to_wstring(target);
  ASSERT_TRUE(vemo_make_parent_dirs_w(to.c_str()));
  ASSERT_TRUE(CopyFileW(utf8_to_wstring(vemo::test::test_bin_dir() + "\\" + dll).c_str(), to.c_str(), FALSE)) << target;
}

size_t line_index(const std::vector<std::string>& lines, const std::string& text) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos) return i;
  return lines.size();
}

Values tick(lua_State* L) { return pop_values(L, vemosdk_tick(L)); }

// The next task, waiting for one posted from another thread.
Values next_task(lua_State* L) {
  for (int i = 0; i < 200; ++i) {
    Values values = tick(L);
    if (values != Values{"nil"}) return values;
    Sleep(10);
  }
  return {"none"};
}

struct Done {
  static inline int calls = 0;
  static inline bool ok = true;
  static inline int code = 0;
  static inline std::string message;
  static void record(bool ok_, int code_, std::string message_) {
    ++calls;
    ok = ok_;
    code = code_;
    message = message_;
  }
};

constexpr char kEntries[] = R"({
  "WEGAME": {"name": "WEGAME"},
  "SECURITY": {"name": "SECURITY", "meta": {"debug": true}},
  "UNKNOWN_NAME": {"name": "UNKNOWN_NAME"},
  "STEAM": {"name": "STEAM", "meta": {"a": 1}},
  "CRASH_SDK": {"name": "CRASH_SDK"},
  "EPIC": {"name": "EPIC"},
  "AGORA": {"name": "AGORA"}
})";

class VendorProxyTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    root_ = new TempDir("vendor-proxy");
    const std::string vendors = root_->path() + "\\vendors\\";
    place("echo_vendor.dll", vendors + "steam\\steam_export_api.dll");  // the sixth spelling
    place("echo_duplicate.dll", vendors + "EPIC\\VEMO_EPIC.dll");       // the first
    place("marker_dll.dll", vendors + "WEGAME\\WEGAME.dll");            // no get_vendor_proxy_instantce
    place("echo_vendor.dll", vendors + "AGORA\\AGORA.dll");             // never reached
    // The security DLL lives beside the program.
    place("gs_standin.dll", get_program_dir() + "vendors\\gs\\gs.dll");
    vemosdk_set_vendors_path(root_->path().c_str());
  }
  static void TearDownTestSuite() {
    VemoSDKProxy::deleteInstance();
    delete root_;
  }

  static TempDir* root_;
  LuaStateHolder L;
};
TempDir* VendorProxyTest::root_ = nullptr;

TEST_F(VendorProxyTest, StartsEveryNamedVendorInKeyOrderAndKeepsTheFirstOfADuplicateKey) {
  vemo::JsonPtr entries(cJSON_Parse(kEntries));
  DebugLogCapture log;
  VemoSDKProxy::getInstance()->init_vendors(entries.get(), Done::record);
  std::vector<std::string> lines = log.lines();
  std::string all;
  for (const std::string& line : lines) all += line + "\n";

  EXPECT_EQ(Done::calls, 1);
  EXPECT_FALSE(Done::ok);
  EXPECT_EQ(Done::code, 7001007);
  EXPECT_EQ(Done::message, "vendor config duplicate");
  EXPECT_NE(line_index(lines, "init, register vendor instance failed:7001007, vendor config duplicate"), lines.size())
      << all;
  EXPECT_NE(line_index(lines, "init, load vendor instance failed:WEGAME"), lines.size()) << all;
  EXPECT_NE(line_index(lines, "init, load plugin vendor instance succ, vendor:ECHO, module:STEAM"), lines.size());
  // The duplicate ends the walk: AGORA is never looked at; an unknown name loads nothing.
  EXPECT_EQ(line_index(lines, "AGORA"), lines.size()) << all;
  EXPECT_EQ(line_index(lines, "agora"), lines.size()) << all;
  EXPECT_EQ(line_index(lines, "UNKNOWN_NAME"), lines.size()) << all;

  size_t crash = line_index(lines, "begin call vendor init:CRASH_SDK");
  size_t echo = line_index(lines, "begin call vendor init:ECHO");
  size_t security = line_index(lines, "begin call vendor init:SECURITY");
  EXPECT_LT(crash, echo) << all;
  EXPECT_LT(echo, security) << all;
  EXPECT_LT(security, lines.size()) << all;
  EXPECT_NE(line_index(lines, "onVendorInit vendor:ECHO, result:1, code:0, msg:echo ready"), lines.size()) << all;
}

TEST_F(VendorProxyTest, EchoAnswersSyncAsyncAndCastAndAnUnknownKeyAnswersToo) {
  VemoSDKProxy* proxy = VemoSDKProxy::getInstance();
  ASSERT_TRUE(proxy->hasVendor("ECHO"));
  // The first registration stays; the plug-in saw its meta and found the host's exports.
  EXPECT_EQ(proxy->syncCall("ECHO", "HELLO", R"({"x":1})"),
            R"({"flavour":"first","method":"HELLO","params":{"x":1},"meta":{"a":1},"sdk":"3.0.14"})");
  char* answer = _vemosdk_vendor_sync_call("NO_SUCH_CHANNEL", "HELLO", "{}");
  EXPECT_STREQ(answer, "{}");
  std::free(answer);

  while (tick(L.get()) != Values{"nil"}) {
  }
  proxy->asyncCall("ECHO", "LATER", 41, R"({"y":2})");
  EXPECT_EQ((Values{"ASYNC_CALL", "#41", R"({"async":true,"id":41,"params":{"y":2}})", "nil"}), next_task(L.get()));
  proxy->asyncCall("NO_SUCH_CHANNEL", "LATER", 42, "{}");
  EXPECT_EQ((Values{"ASYNC_CALL", "#42", R"({"succ":false,"code":7001008,"msg":"vendor not found"})", "nil"}),
            next_task(L.get()));
  _vemosdk_vendor_async_call("ECHO", "LATER", 43, nullptr);  // nothing at all
  proxy->vendorCast("ECHO", "EVENT", R"({"z":3})");
  EXPECT_EQ((Values{"ECHO_EVENT", "#7", R"({"z":3})", "nil"}), next_task(L.get()));
}

TEST_F(VendorProxyTest, CrashVendorCastsReachTheCrashSettings) {
  VemoSDKProxy* proxy = VemoSDKProxy::getInstance();
  proxy->vendorCast("CRASH_SDK", "CAST_INIT_CRASH_SDK", R"({"crash_doc_url":"https://docs.example/crash"})");
  EXPECT_EQ(VemoSDK::crash_settings().doc_url, "https://docs.example/crash");
  proxy->vendorCast("CRASH_SDK", "CAST_INIT_CRASH_SDK", "not json");  // keeps the address
  EXPECT_EQ(VemoSDK::crash_settings().doc_url, "https://docs.example/crash");
  proxy->vendorCast("CRASH_SDK", "CAST_ADD_HEADER_INFO", R"({"key":"server","value":"s1"})");
  proxy->vendorCast("CRASH_SDK", "CAST_ADD_HEADER_INFO", R"({"key":"only"})");
  proxy->vendorCast("CRASH_SDK", "CAST_ADD_CACHED_INFO", R"({"key":"clicked","value":"play"})");
  EXPECT_NE(VemoSDK::get_crash_ext_info_text().find("server"), std::string::npos);
  EXPECT_EQ(VemoSDK::get_crash_ext_info_text().find("only"), std::string::npos);
  EXPECT_NE(VemoSDK::get_crash_user_action_text().find("clicked"), std::string::npos);
  EXPECT_EQ(proxy->syncCall("CRASH_SDK", "ANY", "{}"), "{}");
}

TEST_F(VendorProxyTest, SecurityBridgeTalksToTheSecurityDll) {
  VemoSDKProxy* proxy = VemoSDKProxy::getInstance();
  while (tick(L.get()) != Values{"nil"}) {
  }
  // Before the bridge starts there is no async interface: answered at once.
  proxy->asyncCall("SECURITY", "CHECK", 5, "{}");
  EXPECT_EQ((Values{"ASYNC_CALL", "#5", R"({"code":false,"body":{"msg":"Security not loaded or not supported"}})",
                    "nil"}),
            next_task(L.get()));
  EXPECT_EQ(vmsdk_security_get_token(), nullptr);

  // Meta {"debug": true}: the channel gets ".debug".
  proxy->vendorCast("SECURITY", "CAST_SECURITY_INIT_DATA",
                    R"({"region":"eu","gameid":"g1","extra_params":{"ch":"web","gid":"g2"}})");
  char* token = vmsdk_security_get_token();
  EXPECT_STREQ(token, "token-g2-web.debug");
  std::free(token);
  char* mw = vmsdk_security_get_mw();
  EXPECT_STREQ(mw, "mw-eu");
  std::free(mw);
  int length = 99;
  EXPECT_STREQ(VemoSDK::Security::host_info("noSuchKey", &length), "");
  EXPECT_EQ(length, 99);

  // The stand-in echoes; an unknown host key reads as "".
  EXPECT_EQ(proxy->syncCall("SECURITY", "S", R"({"q":1})"), R"({"sync":"S","json":{"q":1},"unknown":""})");
  while (tick(L.get()) != Values{"nil"}) {
  }
  proxy->asyncCall("SECURITY", "OK", 6, R"({"p":1})");
  EXPECT_EQ((Values{"ASYNC_CALL", "#6", R"({"code":true,"body":{"type":"OK","params":{"p":1}}})", "nil"}),
            next_task(L.get()));
  proxy->asyncCall("SECURITY", "FAIL", 7, R"({"p":2})");
  EXPECT_EQ((Values{"ASYNC_CALL", "#7", R"({"code":false,"body":{"type":"FAIL","params":{"p":2}}})", "nil"}),
            next_task(L.get()));
}

TEST_F(VendorProxyTest, DestroyingTheProxyClearsEveryVendorOnce) {
  DebugLogCapture log;
  VemoSDKProxy::deleteInstance();
  std::vector<std::string> lines = log.lines();
  for (const char* key : {"CRASH_SDK", "ECHO", "SECURITY"})
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& line) {
                              return line.find(std::string("call beforeClear vendor:") + key) != std::string::npos;
                            }),
              1)
        << key;
  EXPECT_NE(line_index(lines, "vendor sdk destructor:CRASH_SDK"), lines.size());
  EXPECT_FALSE(VemoSDKProxy::getInstance()->hasVendor("ECHO"));
}

}  // namespace
