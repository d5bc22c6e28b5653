// The core functions of the _vemosdk module, called from Lua.
#include "core/debug_log.h"
#include "core/lua_task_queue.h"
#include "sdk/exports.h"

#include "test_support.h"
#include "vemosdk_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using VemosdkCore = vemo::test::VemosdkModule;

TEST_F(VemosdkCore, RegisterCallbackKeepsTheLastFunctionPerName) {
  EXPECT_EQ("", run("_vemosdk.register_cb('E', function() return 1 end)"
                    "_vemosdk.register_cb('E', function() return 2 end)"));
  EXPECT_EQ("2", run("return _vemosdk.get_register_cb('E')()"));
  EXPECT_EQ("nil", run("return _vemosdk.get_register_cb('UNKNOWN')"));
}

TEST_F(VemosdkCore, WrongArgumentTypesRaiseArgumentErrors) {
  const struct {
    const char* call;
    const char* error_part;
  } cases[] = {
      {"_vemosdk.register_cb('E', 5)", "bad argument #2 to 'register_cb' (function expected, got number)"},
      {"_vemosdk.register_cb({}, print)", "bad argument #1 to 'register_cb' (string expected, got table)"},
      {"_vemosdk.get_register_cb()", "bad argument #1 to 'get_register_cb' (string expected, got no value)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    std::string result = run(c.call);
    EXPECT_NE(std::string::npos, result.find(c.error_part)) << result;
  }
}

TEST_F(VemosdkCore, TickYieldsOneTaskPerCallThenNil) {
  LuaTaskQueue::getInstance()->postEvent("BATCH_SUBMIT_EVENT", 3, nullptr, nullptr, 0);
  vemosdk_post_async_result(0x100000002LL, R"({"succ":true})");
  EXPECT_EQ("BATCH_SUBMIT_EVENT,3,{},nil", run("return _vemosdk.tick()"));
  EXPECT_EQ("ASYNC_CALL,4294967298,{\"succ\":true},nil", run("return _vemosdk.tick()"));
  EXPECT_EQ("nil", run("return _vemosdk.tick()"));
}

TEST_F(VemosdkCore, SdkInfoTellsTheContextOfTheLastStartUp) {
  EXPECT_EQ("1.0.9,,true,true", run("local i = _vemosdk.sdkinfo() return i.app_version, i.init_args,"
                                    "i.program_dir:sub(-1) == '\\\\', i.program_private_dir == i.program_data_dir .. 'vemo'"));
  vemosdk_init_with_args(L.get(), nullptr, "2.0", "--channel=test");
  EXPECT_EQ("2.0,--channel=test", run("local i = _vemosdk.sdkinfo() return i.app_version, i.init_args"));
}

std::vector<std::string> g_logged;

TEST_F(VemosdkCore, LogWritesTextOrNumberToTheDebugLogOnceSwitchedOn) {
  vemo_debug_set_callback([](int, const char* text, int length) { g_logged.emplace_back(text, length); });
  EXPECT_EQ("", run("_vemosdk.log('before') _vemosdk.open_log(true) _vemosdk.log('text') _vemosdk.log(12)"
                    "_vemosdk.log({}) _vemosdk.open_log(false) _vemosdk.log('after')"));
  vemo_debug_set_callback(nullptr);
  EXPECT_EQ((std::vector<std::string>{"text", "12"}), g_logged);
}

}  // namespace

namespace {

TEST_F(VemosdkCore, LreadGivesTheWholeFileOrNil) {
  vemo::test::TempDir dir("lread");
  ASSERT_TRUE(vemo::test::write_file(dir.file("data.bin"), std::string("a\0b\r\nc", 6)));
  std::string path = dir.file("data.bin");
  for (char& c : path)
    if (c == '\\') c = '/';
  EXPECT_EQ("6,true", run("local t = _vemosdk.lread('" + path + "') return #t, t == 'a\\0b\\r\\nc'"));
  EXPECT_EQ("nil", run("return _vemosdk.lread('" + path + ".missing')"));
  EXPECT_NE(std::string::npos, run("return _vemosdk.lread({})").find("string expected"));
}

}  // namespace
