// The download notification window in this process: its layout at two dpi
// values, its skin, its place and styles, and what its clicks run in Lua
// (with a recording launcher_tools module in place of the scripts').
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "core/owners.h"
#include "launcher_lua.h"
#include "lua.hpp"
#include "lua_values.h"
#include "notification_layout.h"
#include "notification_skin.h"
#include "notification_state.h"
#include "notification_window.h"

namespace {

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

TEST(NotificationLayout, ScalesWithTheDpiAndSitsInTheWorkAreaCorner) {
  struct Case {
    UINT dpi;
    int width, height;
    RECT icon, button, text, close;
    POINT place;  // in a work area of 1920 x 1040
  };
  const Case cases[] = {
      {96, 400, 112, {20, 20, 92, 92}, {260, 38, 380, 74}, {108, 32, 248, 80}, {368, 8, 392, 32}, {1500, 913}},
      {72, 400, 112, {20, 20, 92, 92}, {260, 38, 380, 74}, {108, 32, 248, 80}, {368, 8, 392, 32}, {1500, 913}},
      {144, 600, 168, {30, 30, 138, 138}, {390, 57, 570, 111}, {162, 48, 372, 120}, {552, 12, 588, 48},
       {1290, 849}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    NotificationMetrics metrics = scale_notification_metrics(c.dpi);
    EXPECT_EQ(c.width, metrics.width);
    EXPECT_EQ(c.height, metrics.height);
    NotificationLayout layout = layout_notification(metrics);
    EXPECT_TRUE(layout.icon == c.icon) << describe(layout.icon);
    EXPECT_TRUE(layout.button == c.button) << describe(layout.button);
    EXPECT_TRUE(layout.text == c.text) << describe(layout.text);
    EXPECT_TRUE(layout.close == c.close) << describe(layout.close);
    POINT place = notification_position(RECT{0, 0, 1920, 1040}, metrics);
    EXPECT_EQ(c.place.x, place.x);
    EXPECT_EQ(c.place.y, place.y);
  }
}

TEST(NotificationSkin, AppliesStringColoursAndIgnoresTheRest) {
  struct Case {
    const char* json;
    COLORREF background, text, hover, message;
  };
  const COLORREF white = RGB(255, 255, 255);
  const Case cases[] = {
      {"{}", RGB(35, 65, 79), white, white, white},
      {R"({"button_text_color":"#102030"})", RGB(35, 65, 79), RGB(16, 32, 48), RGB(16, 32, 48), RGB(16, 32, 48)},
      {R"({"button_text_color":"102030","button_text_hover_color":"0xA0B0C0","notification_text_color":"010203"})",
       RGB(35, 65, 79), RGB(16, 32, 48), RGB(160, 176, 192), RGB(1, 2, 3)},
      {R"({"bottom_background_color":"","button_text_color":5,"button_background_color":null})", RGB(35, 65, 79),
       white, white, white},
      {R"({"bottom_background_color":"#000001"})", RGB(0, 0, 1), white, white, white},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    vemo::JsonPtr root(cJSON_Parse(c.json));
    NotificationSkin skin;
    apply_notification_skin(root.get(), skin);
    EXPECT_EQ(c.background, skin.background);
    EXPECT_EQ(c.text, skin.button_text);
    EXPECT_EQ(c.hover, skin.button_text_hover);
    EXPECT_EQ(c.message, skin.message_colour());
    EXPECT_EQ(RGB(30, 50, 59), skin.button_background);
  }
}

BOOL CALLBACK count_if_notification(HWND window, LPARAM param) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) == kNotificationWindowClass) ++*reinterpret_cast<int*>(param);
  return TRUE;
}

// The notification windows of this thread.
int notification_windows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), count_if_notification, reinterpret_cast<LPARAM>(&count));
  return count;
}

int count_notification_windows(lua_State* L) {
  lua_pushinteger(L, notification_windows());
  return 1;
}

// launcher_tools as the clicks see it: each call is recorded in `calls`
// with the number of notification windows there were at that moment.
constexpr char kRecordingTools[] = R"(
calls = {}
package.preload['vemosdk_windows_launcher.launcher_tools'] = function()
  return {
    jf_report = function(event, kind, level, fields)
      calls[#calls + 1] = string.format('report %s %d %d %s/%s/%s/%s windows=%d', event, kind, level,
        fields.biz_prod, fields.biz_mod, fields.biz_func, fields.biz_act, notification_windows())
    end,
    launch_game = function(args)
      calls[#calls + 1] = string.format('launch [%s] windows=%d', args.language, notification_windows())
      if reopen then _launcher.create_notification_window('again', 'Play', 'fr') end
    end,
  }
end
)";

class NotificationWindow : public testing::Test {
protected:
  void SetUp() override {
    luaL_openlibs(L_.get());
    lua_register(L_.get(), "notification_windows", count_notification_windows);
    luaL_requiref(L_.get(), "_launcher", luaopen_launcher, 1);
    lua_pop(L_.get(), 1);
    ASSERT_EQ("", run(kRecordingTools));
  }
  void TearDown() override {
    destroy_notification_window();
    pump();
  }

  std::string run(const std::string& chunk) { return vemo::test::run_chunk(L_.get(), chunk); }

  static void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  static void click(int x, int y) {
    HWND window = notification_window();
    ASSERT_TRUE(window);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    pump();
  }

  vemo::LuaStatePtr L_{luaL_newstate()};
};

TEST_F(NotificationWindow, AppearsInTheWorkAreaCornerWithoutTakingTheFocus) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"notification_test_owner";
  RegisterClassW(&wc);
  HWND other = CreateWindowExW(0, wc.lpszClassName, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                               nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(other);
  SetForegroundWindow(other);
  pump();

  ASSERT_EQ("", run("_launcher.create_notification_window('The game is ready', 'Play', 'en')"));
  pump();
  HWND window = FindWindowW(kNotificationWindowClass, kNotificationWindowTitle);
  ASSERT_TRUE(window);
  EXPECT_EQ(window, notification_window());
  EXPECT_TRUE(IsWindowVisible(window));
  // Other tests' windows share the display and may take the foreground
  // meanwhile; what must hold is that this window never has it nor the focus.
  EXPECT_NE(window, GetForegroundWindow());
  EXPECT_NE(window, GetActiveWindow());
  EXPECT_NE(window, GetFocus());
  LONG_PTR ex_style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  const LONG_PTR bits[] = {WS_EX_NOACTIVATE, WS_EX_LAYERED, WS_EX_TOOLWINDOW, WS_EX_TOPMOST};
  for (LONG_PTR bit : bits)
    EXPECT_EQ(bit, ex_style & bit) << std::hex << bit;

  RECT area, frame;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(window, &frame);
  const NotificationMetrics& metrics = notification_state().metrics;
  EXPECT_EQ(area.right - metrics.width - metrics.scaled(20), frame.left);
  EXPECT_EQ(area.bottom - metrics.height - metrics.scaled(15), frame.top);
  EXPECT_EQ(metrics.width, frame.right - frame.left);
  EXPECT_EQ(metrics.height, frame.bottom - frame.top);
  DestroyWindow(other);
}

TEST_F(NotificationWindow, ClicksReportThenActWithTheWindowAlreadyGone) {
  struct Case {
    const char* language;
    int x, y;
    const char* calls;
  };
  const Case cases[] = {
      {"en", 320, 56,
       "report sdk.pf_comm 0 1 launcher/launcher_btn/sdk.launcher.notification/click_gamestart windows=0|"
       "launch [en] windows=0"},
      {"en", 380, 20, "report sdk.pf_comm 0 1 launcher/launcher_btn/sdk.launcher.notification/close windows=0"},
      // The language is a value for the script, never a piece of its source.
      {"en'}); hacked = true --", 320, 56,
       "report sdk.pf_comm 0 1 launcher/launcher_btn/sdk.launcher.notification/click_gamestart windows=0|"
       "launch [en'}); hacked = true --] windows=0"},
      {"en'); os.exit(1) --", 320, 56,
       "report sdk.pf_comm 0 1 launcher/launcher_btn/sdk.launcher.notification/click_gamestart windows=0|"
       "launch [en'); os.exit(1) --] windows=0"},
      {"", 320, 56,
       "report sdk.pf_comm 0 1 launcher/launcher_btn/sdk.launcher.notification/click_gamestart windows=0|"
       "launch [] windows=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    run("calls = {}");
    lua_pushstring(L_.get(), c.language);
    lua_setglobal(L_.get(), "language");
    ASSERT_EQ("", run("_launcher.create_notification_window('Ready', 'Play', language)"));
    click(c.x, c.y);
    EXPECT_EQ(c.calls, run("return table.concat(calls, '|')"));
    EXPECT_EQ("nil", run("return tostring(hacked)"));
    EXPECT_EQ(nullptr, notification_window());
    EXPECT_EQ(0, notification_windows());
  }
}

TEST_F(NotificationWindow, ElsewhereAClickStartsADragAndRunsNothing) {
  ASSERT_EQ("", run("_launcher.create_notification_window('Ready', 'Play', 'en')"));
  HWND window = notification_window();
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 100));
  // Taken from the queue, not dispatched: the drag's loop would wait for the mouse.
  MSG drag;
  ASSERT_TRUE(PeekMessageW(&drag, window, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
  EXPECT_EQ(static_cast<WPARAM>(HTCAPTION), drag.wParam);
  EXPECT_EQ("", run("return table.concat(calls, '|')"));
  EXPECT_EQ(1, notification_windows());
}

TEST_F(NotificationWindow, ASecondCreateKeepsOneWindowInItsPlace) {
  ASSERT_EQ("", run("_launcher.create_notification_window('first', 'Play', 'en')"));
  HWND first = notification_window();
  RECT before;
  GetWindowRect(first, &before);
  ASSERT_EQ("", run("_launcher.create_notification_window('second', 'Start', 'de')"));
  pump();
  EXPECT_EQ(first, notification_window());
  EXPECT_EQ(1, notification_windows());
  RECT after;
  GetWindowRect(first, &after);
  EXPECT_TRUE(before == after);
  EXPECT_EQ(L"second", notification_state().message);
  click(320, 56);
  EXPECT_EQ("launch [de] windows=0", run("return calls[2]"));
}

TEST_F(NotificationWindow, TheGameStartMayOpenANewWindow) {
  ASSERT_EQ("", run("reopen = true _launcher.create_notification_window('Ready', 'Play', 'en')"));
  click(320, 56);
  run("reopen = false");
  EXPECT_EQ(1, notification_windows());
  ASSERT_TRUE(notification_window());
  EXPECT_EQ(L"again", notification_state().message);
  EXPECT_EQ(L"fr", notification_state().language);
}

TEST_F(NotificationWindow, AWindowMadeAfterOneWasClosedHasLiveFonts) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ("", run("_launcher.create_notification_window('Ready', 'Play', 'en')"));
    NotificationState& state = notification_state();
    ASSERT_TRUE(state.window);
    EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(state.text_font.get())));
    EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(state.close_font.get())));
    EXPECT_TRUE(state.icon.get());
    ASSERT_EQ("", run("_launcher.destroy_notification_window()"));
    EXPECT_EQ(nullptr, state.text_font.get());
    EXPECT_EQ(nullptr, state.close_font.get());
    EXPECT_EQ(nullptr, state.icon.get());
    EXPECT_EQ(0, notification_windows());
  }
}

TEST_F(NotificationWindow, ArgumentsAreOptionalStrings) {
  EXPECT_EQ("", run("_launcher.create_notification_window()"));
  EXPECT_EQ(L"", notification_state().message);
  EXPECT_EQ(1, notification_windows());
  EXPECT_NE(std::string::npos, run("_launcher.create_notification_window({})").find("string expected"));
  EXPECT_EQ("", run("_launcher.destroy_notification_window() _launcher.destroy_notification_window()"));
  EXPECT_EQ(0, notification_windows());
}

}  // namespace
