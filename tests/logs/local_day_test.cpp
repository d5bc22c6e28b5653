// Runs with TZ=Europe/Berlin: a day with the spring change has 23 hours, the
// autumn one 25.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "core/logs/file_log_storage.h"
#include "core/logs/local_day.h"
#include "core/text_convert.h"
#include "log_test_files.h"
#include "strict_blocks.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::file_names;
using vemo::test::strict_log_text;
using vemo::test::TempDir;

std::atomic<std::int64_t> g_now{0};
std::int64_t test_clock() { return g_now.load(); }

TEST(LocalDay, DaysFollowLocalDatesAcrossDaylightSaving) {
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  ASSERT_EQ(-60, zone.Bias) << "this test needs TZ=Europe/Berlin";
  struct Case {
    std::int64_t now;
    int days;
    std::int64_t midnight;
  } cases[] = {
      {1711886400000, 0, 1711839600000},   // 2024-03-31 14:00 CEST: that day began 23:00 UTC before
      {1711886400000, 1, 1711922400000},   // and ended 23 hours later
      {1730030400000, 0, 1729980000000},   // 2024-10-27 13:00 CET
      {1730030400000, 1, 1730070000000},   // a day of 25 hours
      {1712138400000, -7, 1711494000000},  // 2024-04-03: seven dates back is 2024-03-27 00:00 CET
  };
  for (const Case& c : cases) {
    if (c.days == 0) {
      EXPECT_EQ(c.midnight, local_midnight_ms(c.now)) << c.now;
    }
    EXPECT_EQ(c.midnight, local_midnight_days_from(c.now, c.days)) << c.now << " " << c.days;
  }
}

class LocalDayLog : public ::testing::Test {
protected:
  std::string folder() const { return program.path() + "\\vemo\\vemosdklogv1"; }
  void write_at(std::int64_t now, const char* text) {
    g_now = now;
    storage->commit_text_record(text, nullptr);
    ASSERT_TRUE(storage->flush_and_wait(10000));
  }
  TempDir program{"local-day-log"};
  std::unique_ptr<FileLogStorage> storage;
};

TEST_F(LocalDayLog, TheFirstRecordOfANewLocalDateStartsANewFileAfterA23HourDay) {
  storage = std::make_unique<FileLogStorage>(make_log_config(utf8_to_wstring(program.path())), test_clock);
  write_at(1711879200000, "2024-03-31 12:00");
  write_at(1711924200000, "2024-04-01 00:30");  // 23.5 hours after the last midnight
  write_at(1712008740000, "2024-04-01 23:59");
  EXPECT_EQ((std::vector<std::string>{"1711879200000", "1711924200000"}), file_names(folder()));
  EXPECT_EQ("2024-04-01 00:30\n2024-04-01 23:59\n", strict_log_text(folder() + "\\1711924200000"));
}

TEST_F(LocalDayLog, ARecordDeletesTheFilesOfMoreThanSevenLocalDatesAgoOnly) {
  const std::int64_t eight_days = 1711492200000;  // 2024-03-26 23:30 CET
  const std::int64_t seven_days = 1711495800000;  // 2024-03-27 00:30 CET
  const std::int64_t six_days = 1711623600000;    // 2024-03-28 12:00 CET
  const std::int64_t today = 1712124000000;       // 2024-04-03 08:00 CEST
  vemo::test::make_log_files(folder(), {eight_days, seven_days, six_days, today});
  ASSERT_TRUE(vemo::test::write_file(folder() + "\\123.log", "old, and no log file"));
  ASSERT_TRUE(vemo::test::write_file(folder() + "\\12a", "no log file"));
  storage = std::make_unique<FileLogStorage>(make_log_config(utf8_to_wstring(program.path())), test_clock);
  write_at(1712138400000, "2024-04-03 12:00");
  EXPECT_EQ((std::vector<std::string>{"123.log", "12a", std::to_string(seven_days), std::to_string(six_days),
                                      std::to_string(today)}),
            file_names(folder()));
  EXPECT_EQ("2024-04-03 12:00\n", strict_log_text(folder() + "\\" + std::to_string(today)));
}

}  // namespace
