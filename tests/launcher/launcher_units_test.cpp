// The launcher's layout, tick throttle, launcher name and instance mutex.
#include "launcher_layout.h"
#include "single_instance.h"
#include "tick_throttle.h"

#include "launcher_state.h"

#include "core/debug_log.h"
#include "core/sdkconfig.h"
#include "core/text_convert.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(LauncherLayout, ScalesEveryValueAboveNinetySixDpi) {
  const struct {
    UINT dpi;
    LauncherLayout expected;
  } cases[] = {
      {96, {1200, 678, 48, 48, 8, 8, 60, 260}},
      {72, {1200, 678, 48, 48, 8, 8, 60, 260}},
      {120, {1500, 848, 60, 60, 10, 10, 75, 325}},
      {144, {1800, 1017, 72, 72, 12, 12, 90, 390}},
      {192, {2400, 1356, 96, 96, 16, 16, 120, 520}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    LauncherLayout got = scale_layout(c.dpi);
    EXPECT_EQ(c.expected.window_width, got.window_width);
    EXPECT_EQ(c.expected.window_height, got.window_height);
    EXPECT_EQ(c.expected.close_width, got.close_width);
    EXPECT_EQ(c.expected.close_height, got.close_height);
    EXPECT_EQ(c.expected.close_margin, got.close_margin);
    EXPECT_EQ(c.expected.close_top, got.close_top);
    EXPECT_EQ(c.expected.overlay_height, got.overlay_height);
    EXPECT_EQ(c.expected.overlay_gap, got.overlay_gap);
  }
}

TEST(TickThrottle, EveryTimerTicksExceptWithin300MsDuringAMove) {
  const struct {
    DWORD now;
    bool in_move;
    bool ticks;
  } steps[] = {
      {1000, false, true},  {1100, false, true}, {1150, false, true},  // outside a move: always
      {1200, true, false},  {1400, true, false}, {1450, true, true},   // 300 ms after 1150
      {1550, true, false},  {1749, true, false}, {1750, true, true},   //
      {1760, false, true},  {1770, false, true},                       // the move has ended
      {0xFFFFFF00u, false, true}, {0xFFFFFFF0u, true, false},          // across the 49.7-day wrap
      {0x00000010u, true, false}, {0x0000002Cu, true, true},
  };
  TickThrottle throttle;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.now);
    EXPECT_EQ(step.ticks, throttle.should_tick(step.now, step.in_move));
  }
}

TEST(LauncherName, IsReadFromTheProgramFolderConfiguration) {
  const struct {
    const char* label;
    std::optional<std::string> content;  // none: no file
    const char* name;
  } cases[] = {
      {"no file", std::nullopt, ""},
      {"plain", R"({"game_id":"1","launcher_name":"game_a"})", "game_a"},
      {"enciphered", encrypt_sdkconfig(R"({"launcher_name":"game_b"})", kSdkConfigKeyIndex), "game_b"},
      {"non-ASCII", "{\"launcher_name\":\"\xE5\x90\xAF\xE5\x8A\xA8\"}", "\xE5\x90\xAF\xE5\x8A\xA8"},
      {"no key", R"({"game_id":"1"})", ""},
      {"not a string", R"({"launcher_name":7})", ""},
      {"key differs in case", R"({"Launcher_Name":"x"})", ""},
      {"broken JSON", R"({"launcher_name":"cut)", ""},
      {"empty file", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    vemo::test::TempDir dir("launcher_name");
    if (c.content) {
      ASSERT_TRUE(vemo::test::write_file(dir.file("sdkconfig.json"), *c.content));
    }
    EXPECT_EQ(c.name, read_launcher_name(utf8_to_wstring(dir.path() + "\\")));
  }
}

TEST(SingleInstance, OneHolderPerNameAndANameOfItsOwnForEachLauncher) {
  std::wstring name = L"launcher_units_test_" + std::to_wstring(GetCurrentProcessId());
  SingleInstanceMutex first, second, other;
  EXPECT_EQ(InstanceCheck::kFirst, first.acquire(name));
  EXPECT_EQ(InstanceCheck::kSecond, second.acquire(name));
  EXPECT_EQ(InstanceCheck::kFirst, other.acquire(name + L"_other"));
  second.release();
  first.release();
  SingleInstanceMutex again;
  EXPECT_EQ(InstanceCheck::kFirst, again.acquire(name)) << "the name stayed taken after release";
}

TEST(SingleInstance, ANameWindowsRefusesIsAFailureNotAFirstInstance) {
  // Backslashes are not allowed in a mutex name outside a namespace prefix.
  SingleInstanceMutex mutex;
  EXPECT_EQ(InstanceCheck::kFailed, mutex.acquire(L"\\no\\such\\namespace"));
}

std::vector<std::string> g_logged;

void record_log(int, const char* text, int) { g_logged.push_back(text); }

// A stand-in for the first launcher's main window: its class and title, no
// window procedure of the launcher (that would load the window images).
HWND make_first_window(const std::wstring& title, int show) {
  WNDCLASSEXW wc = {sizeof(wc)};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kLauncherWindowClass;
  RegisterClassExW(&wc);  // once per process; later calls find it registered
  HWND window = CreateWindowExW(0, kLauncherWindowClass, title.c_str(), WS_POPUP | WS_MINIMIZEBOX, 10, 10, 100,
                                100, nullptr, nullptr, wc.hInstance, nullptr);
  if (window && show != SW_HIDE) ShowWindow(window, show);
  return window;
}

TEST(SecondInstance, OnlyTheExactToastCommandLinesTakeTheToastBranch) {
  const char* kToast = "New process: Found exe launcher by system nority ToastActivated.";
  const struct {
    const wchar_t* command_line;
    std::optional<int> first_window;  // how the first instance's window is shown; none: no window
    std::vector<std::string> first_lines;
  } cases[] = {
      {L"ToastActivated", SW_HIDE, {kToast, "find the first launcher.exe window"}},
      {L"ToastActivated", std::nullopt, {kToast, "New process: Found no window of running instance."}},
      // What the toast activator registers.
      {L"-ToastActivated", SW_SHOWMINNOACTIVE, {kToast, "find the first launcher.exe window"}},
      {L"", SW_HIDE, {"second instance: activate existing launcher window"}},
      {L"", SW_SHOWMINNOACTIVE, {"second instance: activate existing launcher window"}},
      {L" ToastActivated", SW_SHOWMINNOACTIVE, {"second instance: activate existing launcher window"}},
      {L"toastactivated", std::nullopt, {"second instance: no existing window found"}},
      {L"ToastActivated --x", std::nullopt, {"second instance: no existing window found"}},
  };
  vemo_debug_set_console(1);
  vemo_debug_set_callback(record_log);
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << index << " '" << wstring_to_utf8(c.command_line) << "'");
    std::wstring title = L"second_instance_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                         std::to_wstring(index++);
    HWND first = c.first_window ? make_first_window(title, *c.first_window) : nullptr;
    if (c.first_window) {
      ASSERT_NE(nullptr, first);
    }
    g_logged.clear();
    activate_first_instance(title, c.command_line);
    ASSERT_GE(g_logged.size(), c.first_lines.size());
    EXPECT_EQ(c.first_lines, std::vector<std::string>(g_logged.begin(), g_logged.begin() + c.first_lines.size()));
    if (first) {
      EXPECT_TRUE(IsWindowVisible(first)) << "the first window stays hidden";
      EXPECT_FALSE(IsIconic(first)) << "the first window stays minimised";
      DestroyWindow(first);
    }
  }
  vemo_debug_set_callback(nullptr);
  vemo_debug_set_console(0);
}

}  // namespace
