// The _vemosdk functions on the host window, the screen and memory, and the
// start-with-Windows values in the registry (Wine's own HKEY_CURRENT_USER).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/sdk_runtime.h"
#include "lua/run_key.h"
#include "vemosdk_fixture.h"

namespace {

using testing::HasSubstr;

class HostWindow : public vemo::test::VemosdkModule {
protected:
  void SetUp() override {
    VemosdkModule::SetUp();
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"VemoSystemTestWindow";
    RegisterClassW(&window_class);
    // The client area is asked for; the frame adds to the outer size.
    RECT outer = {0, 0, 320, 200};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    window = CreateWindowW(L"VemoSystemTestWindow", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                           outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, window) << "no display";
    vmsdk_set_main_hwnd(window);
  }
  void TearDown() override {
    vmsdk_set_main_hwnd(nullptr);
    DestroyWindow(window);
  }
  HWND window = nullptr;
};

TEST_F(HostWindow, WindowSizeIsTheClientArea) { EXPECT_EQ("320.0,200.0", run("return _vemosdk.sysinfo_window_size()")); }

TEST_F(HostWindow, SwitchToGameEndsInFrontWithoutStayingTopMost) {
  EXPECT_EQ("true", run("return _vemosdk.switch_to_game()"));
  EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(HostWindow, WindowMinimizeMinimisesTheHostWindow) {
  EXPECT_EQ("", run("_vemosdk.window_minimize()"));
  EXPECT_TRUE(IsIconic(window));
}

TEST_F(HostWindow, WithoutAValidHostWindowTheWindowFunctionsDoNothing) {
  const HWND cases[] = {nullptr, reinterpret_cast<HWND>(0x1234)};
  for (HWND host : cases) {
    vmsdk_set_main_hwnd(host);
    EXPECT_EQ("-1.0,-1.0", run("return _vemosdk.sysinfo_window_size()"));
    EXPECT_EQ("false", run("return _vemosdk.switch_to_game()"));
    EXPECT_EQ("", run("_vemosdk.window_minimize()"));
  }
  EXPECT_FALSE(IsIconic(window));
}

using SystemInfo = vemo::test::VemosdkModule;

TEST_F(SystemInfo, ScreenSizeAndMemoryStatus) {
  EXPECT_EQ(std::to_string(GetSystemMetrics(SM_CXSCREEN)) + ".0," + std::to_string(GetSystemMetrics(SM_CYSCREEN)) +
                ".0",
            run("return _vemosdk.sysinfo_screen_width(), _vemosdk.sysinfo_screen_height()"));
  EXPECT_EQ("64.0,true,true,true",
            run("local m = _vemosdk.sysinfo_memory_info() return m.Length, m.TotalPhys >= m.AvailPhys,"
                "m.TotalPageFile >= m.AvailPageFile, m.MemoryLoad >= 0 and m.MemoryLoad <= 100"));
  EXPECT_EQ("9", run("local n = 0 for _ in pairs(_vemosdk.sysinfo_memory_info()) do n = n + 1 end return n"));
}

class RunKey : public vemo::test::VemosdkModule {
protected:
  void TearDown() override { run_value_remove(name); }
  std::string name = "VemoRunKeyTest" + std::to_string(GetCurrentProcessId());
  std::string lua_name = "'" + name + "'";
};

TEST_F(RunKey, SaveReadRemoveRoundTrip) {
  EXPECT_EQ("false", run("return _vemosdk.read_reg_key(" + lua_name + ", '')"));
  EXPECT_EQ("true", run("return _vemosdk.save_reg_key(" + lua_name + ", 'C:\\\\games\\\\launcher.exe')"));
  EXPECT_EQ("true", run("return _vemosdk.read_reg_key(" + lua_name + ", 'unused')"));
  EXPECT_EQ("true", run("return _vemosdk.remove_reg_key(" + lua_name + ")"));
  EXPECT_EQ("false", run("return _vemosdk.read_reg_key(" + lua_name + ", '')"));
  EXPECT_EQ("false", run("return _vemosdk.remove_reg_key(" + lua_name + ")"));
}

TEST_F(RunKey, StoredTextQuotesPathsWithBlanksOnce) {
  const struct {
    const char* path;
    const char* stored;
  } cases[] = {
      {"C:\\games\\launcher.exe", "C:\\games\\launcher.exe"},
      {"C:\\Program Files\\My Game\\launcher.exe", "\"C:\\Program Files\\My Game\\launcher.exe\""},
      {"\"C:\\My Game\\launcher.exe\" --tray", "\"C:\\My Game\\launcher.exe\" --tray"},
      {"C:\\游戏\\启动器.exe", "C:\\游戏\\启动器.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    lua_pushstring(L.get(), c.path);
    lua_setglobal(L.get(), "path");
    EXPECT_EQ("true", run("return _vemosdk.save_reg_key(" + lua_name + ", path)"));
    std::string stored;
    EXPECT_TRUE(run_value_read(name, &stored));
    EXPECT_EQ(c.stored, stored);
  }
}

TEST_F(RunKey, ReadRefusesAValueTooLongToHandBack) {
  std::string long_path = "C:\\" + std::string(kRunValueCapacity - 3, 'x');  // with its terminator: 2048 bytes
  ASSERT_TRUE(run_value_save(name, long_path));
  EXPECT_FALSE(run_value_read(name));
  ASSERT_TRUE(run_value_save(name, long_path.substr(1)));
  EXPECT_TRUE(run_value_read(name));
}

TEST_F(RunKey, ReadNeedsBothTexts) {
  EXPECT_THAT(run("return _vemosdk.read_reg_key(" + lua_name + ")"),
              HasSubstr("bad argument #2 to 'read_reg_key' (string expected, got no value)"));
}

}  // namespace
