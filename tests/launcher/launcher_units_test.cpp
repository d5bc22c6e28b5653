// The launcher's layout, tick throttle, launcher name and instance mutex.
#include "launcher_layout.h"
#include "single_instance.h"
#include "tick_throttle.h"

#include "core/sdkconfig.h"
#include "core/text_convert.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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

}  // namespace
