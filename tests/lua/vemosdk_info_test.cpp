// The _vemosdk functions that answer at once: texts, clocks, SDK and
// program information, the one-shot timer and the clipboard.
#include "core/sdk_paths.h"
#include "core/sdk_runtime.h"
#include "core/sdkconfig.h"

#include "test_support.h"
#include "vemosdk_fixture.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using VemosdkInfo = vemo::test::VemosdkModule;

TEST_F(VemosdkInfo, FixedAnswers) {
  const struct {
    const char* chunk;
    const char* expected;
  } cases[] = {
      {"return _vemosdk.os()", "windows"},
      {"return _vemosdk.abi() == ''", "true"},
      {"return _vemosdk.bin_version()", "3.0.14"},
      {"return _vemosdk.sdkinfo_get_version_name('VEMOSDK')", "3.0.14"},
      {"return _vemosdk.sdkinfo_get_version_name('vemosdk') == ''", "true"},
      {"return _vemosdk.is_passive_mode(), math.type(_vemosdk.is_passive_mode())", "1.0,float"},
      {"return _vemosdk.get_lua_res_location():sub(-1) ~= '\\\\'", "true"},
      {"return _vemosdk.get_lua_res_location() .. '\\\\' == _vemosdk.sdkinfo().program_dir", "true"},
      {"return _vemosdk.get_command_line():find('vemosdk_module_test', 1, true) ~= nil", "true"},
      {"return _vemosdk.acp_to_utf8(_vemosdk.utf8_to_acp('plain ascii'))", "plain ascii"},
      {"return _vemosdk.utf8_to_acp('')  == ''", "true"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, run(c.chunk)) << c.chunk;
}

TEST_F(VemosdkInfo, TextsTravelThroughTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
  EXPECT_EQ("true", run("return _vemosdk.utf8_to_acp('caf\\u{e9}') == 'caf\\xe9'"));
  EXPECT_EQ("true", run("return _vemosdk.acp_to_utf8('caf\\xe9') == 'caf\\u{e9}'"));
}

TEST_F(VemosdkInfo, BothClocksTellWallClockMilliseconds) {
  for (const char* clock : {"system_ms", "system_clock"}) {
    std::string chunk = std::string("local before = os.time() local ms = _vemosdk.") + clock +
                        "() local after = os.time() "
                        "return math.type(ms), before - 1 < ms / 1000 and ms / 1000 < after + 1";
    EXPECT_EQ("float,true", run(chunk)) << clock;
  }
}

TEST_F(VemosdkInfo, SupportFunctionsListOnlyFeaturesThatWorkInOrder) {
  const char* const order[] = {"http_stop", "make_dirs", "start_download", "http_download_range", "http_cert_pin",
                               "get_screen_refresh_rate", "batch_file_operation", "file_dir_operation",
                               "sysinfo_memory_info", "get_disk_info_async", "support_file_batch_operation_base_path",
                               "media_record", "support_multi_download_request", "add_local_notification",
                               "init_jf_file_cache"};
  std::string listed = run("local text = _vemosdk.get_support_functions() local keys = {} "
                           "for k, v in pairs(_vemosdk_lua_cjson.decode(text)) do assert(v == true) end "
                           "for k in text:gmatch('\"([%w_]+)\":') do keys[#keys + 1] = k end "
                           "return ' ' .. table.concat(keys, ' ') .. ' '");
  size_t at = 0;
  for (const char* feature : order) {
    size_t found = listed.find(std::string(" ") + feature + " ");
    if (found == std::string::npos) continue;
    EXPECT_GE(found, at) << feature << " out of order in" << listed;
    at = found;
    // A feature named after a function promises that function.
    if (run(std::string("return type(_vemosdk.") + feature + ")") == "function") {
      EXPECT_EQ(std::string::npos, run(std::string("return pcall(_vemosdk.") + feature + ")").find("not available"))
          << feature;
    }
  }
  for (const char* built : {"http_stop", "make_dirs", "get_screen_refresh_rate", "get_disk_info_async", "init_jf_file_cache"})
    EXPECT_NE(std::string::npos, listed.find(std::string(" ") + built + " ")) << built;
  for (const char* feature : {"add_local_notification", "init_jf_file_cache"})
    if (run(std::string("return pcall(_vemosdk.") + feature + ")").find("not available") != std::string::npos) {
      EXPECT_EQ(std::string::npos, listed.find(std::string(" ") + feature + " ")) << feature;
    }
}

TEST_F(VemosdkInfo, TimerOnceAnswersWithTheIdTakenAs32Bits) {
  EXPECT_EQ("", run("_vemosdk.timer_once(-5, 0) _vemosdk.timer_once(0x100000007, 0.01)"));
  std::string seen;
  for (int i = 0; i < 500 && seen.size() < 40; ++i) {
    std::string task = run("return _vemosdk.tick()");
    if (task != "nil") seen += task + ";";
    else std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ("ASYNC_CALL,-5,{},nil;ASYNC_CALL,7,{},nil;", seen);
  EXPECT_NE(std::string::npos, run("_vemosdk.timer_once('x', 1)").find("bad argument #1 to 'timer_once'"));
  EXPECT_NE(std::string::npos, run("_vemosdk.timer_once(1)").find("bad argument #2 to 'timer_once'"));
}

// The wide copy of a 300 MB text does not fit in this 32-bit process: the C++
// exception that follows is a Lua error with a text, caught by pcall also
// inside a coroutine, and the state works on.
TEST_F(VemosdkInfo, ACppExceptionInAFunctionIsALuaErrorWithAText) {
  ASSERT_EQ("300", run("huge = string.rep('a', 300 * 1024 * 1024) return #huge // (1024 * 1024)"));
  const char* chunks[] = {
      "local ok, message = pcall(_vemosdk.utf8_to_acp, huge) return ok, type(message), #message < 1000",
      "return coroutine.wrap(function()"
      "  local ok, message = pcall(_vemosdk.utf8_to_acp, huge) return ok, type(message), #message < 1000"
      " end)()",
  };
  for (const char* chunk : chunks) EXPECT_EQ("false,string,true", run(chunk)) << chunk;
  run("huge = nil collectgarbage()");
  EXPECT_EQ("plain", run("return _vemosdk.utf8_to_acp('plain')"));
  EXPECT_EQ("nil", run("return _vemosdk.tick()"));
}

TEST_F(VemosdkInfo, WrongArgumentTypesRaiseArgumentErrors) {
  const char* const calls[] = {"_vemosdk.utf8_to_acp({})", "_vemosdk.acp_to_utf8()",
                               "_vemosdk.sdkinfo_get_version_name()", "_vemosdk.copy_clipboard({})"};
  for (const char* call : calls) EXPECT_NE(std::string::npos, run(call).find("bad argument #1")) << call;
}

TEST_F(VemosdkInfo, SdkconfigFunctions) {
  vemo::test::TempDir dir("vemosdk_info_sdkconfig");
  std::string config_path = dir.file("sdkconfig.json");
  ASSERT_TRUE(vemo::test::write_file(
      config_path, R"({"game_id":"g","sdks":[{"name":"AGORA","meta":{"k":1}},{"name":"STEAM"},{"nameless":1}]})"));
  ASSERT_TRUE(VemoSDK::setSdkconfigPath(config_path.c_str()));
  vemosdk_init(L.get(), nullptr, "1.0.9");

  EXPECT_EQ(config_path, run("return _vemosdk.get_sdkconfig_path()"));
  EXPECT_EQ("1,nil,true", run("local infos = _vemosdk_lua_cjson.decode(_vemosdk.get_sdk_infos()) "
                              "return infos.AGORA.meta.k, infos.STEAM.meta, infos.nameless == nil"));
  EXPECT_EQ("true", run("local p = _vemosdk_lua_cjson.decode(_vemosdk.get_paths()) "
                        "return p.program_dir == _vemosdk.sdkinfo().program_dir"));
  EXPECT_EQ("true", run("return #_vemosdk.get_resources_path() > 0"));

  std::string enciphered = encrypt_sdkconfig(R"({"a":1})", kSdkConfigKeyIndex);
  ASSERT_FALSE(enciphered.empty());
  EXPECT_EQ(R"({"a":1})", run("return _vemosdk.decrypt_sdkconfig('" + enciphered + "')"));
  EXPECT_EQ("nil", run("return _vemosdk.decrypt_sdkconfig('not enciphered')"));
  EXPECT_EQ("nil", run("return _vemosdk.decrypt_sdkconfig(42)"));
  EXPECT_EQ("nil", run("return _vemosdk.decrypt_sdkconfig()"));

  ASSERT_TRUE(VemoSDK::setSdkconfigPath(dir.file("missing.json").c_str()));
  vemosdk_init(L.get(), nullptr, "1.0.9");
  EXPECT_EQ("{}", run("return _vemosdk.get_sdk_infos()"));
}

// A window of this thread to own the clipboard, as the host window does.
struct OwnerWindow {
  OwnerWindow() {
    window = CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    vmsdk_set_main_hwnd(window);
  }
  ~OwnerWindow() {
    vmsdk_set_main_hwnd(nullptr);
    if (window) DestroyWindow(window);
  }
  HWND window;
};

std::wstring clipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return L"<cannot open>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

TEST_F(VemosdkInfo, CopyClipboardNeedsTheHostWindow) {
  vmsdk_set_main_hwnd(nullptr);
  EXPECT_EQ("false,nil", run("local r = _vemosdk_lua_cjson.decode(_vemosdk.copy_clipboard('{\"text\":\"x\"}')) "
                             "return r.succ, r.msg"));

  OwnerWindow owner;
  ASSERT_NE(nullptr, owner.window);
  EXPECT_EQ("true,nil", run("local r = _vemosdk_lua_cjson.decode("
                            "_vemosdk.copy_clipboard('{\"text\":\"h\\u{e9}llo \\u{4e2d}\"}')) return r.succ, r.msg"));
  EXPECT_EQ(L"h\u00e9llo \u4e2d", clipboardText(owner.window));
  // No usable text copies the empty text.
  EXPECT_EQ("true", run("return _vemosdk_lua_cjson.decode(_vemosdk.copy_clipboard('{\"text\":5}')).succ"));
  EXPECT_EQ(L"", clipboardText(owner.window));
  EXPECT_EQ("true", run("return _vemosdk_lua_cjson.decode(_vemosdk.copy_clipboard('not json')).succ"));
}

}  // namespace
