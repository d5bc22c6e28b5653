// The process-wide pacing of downloads, on a clock the test drives.
#include <gtest/gtest.h>

#include "http/speed_limiter.h"

namespace {

using Pace = VemoLimitHttpSpeed::Pace;

// Writes chunks for one transfer until the window refuses; returns the bytes let through.
int64_t fill_window(VemoLimitHttpSpeed& limiter, Pace& pace, size_t chunk, int64_t now) {
  int64_t passed = 0;
  while (limiter.allowWrite(pace, chunk, now)) passed += static_cast<int64_t>(chunk);
  return passed;
}

TEST(SpeedLimiterTest, RateBecomesWindowBudgets) {
  struct Case {
    int64_t rate;
    int64_t window, low, high;
  } cases[] = {
      {204800, 102400, 20480, 81920},
      {16384, 8192, 1638, 6554},
      {int64_t{10} << 30, int64_t{5} << 30, (int64_t{5} << 30) / 5, (int64_t{5} << 30) - (int64_t{5} << 30) / 5},
      {-1, -1, 0, 0},
  };
  for (const Case& c : cases) {
    VemoLimitHttpSpeed limiter;
    limiter.updateBandwidth(c.rate, 16384);
    EXPECT_EQ(c.window, limiter.windowLimit()) << c.rate;
    EXPECT_EQ(c.low, limiter.lowLimit()) << c.rate;
    EXPECT_EQ(c.high, limiter.highLimit()) << c.rate;
  }
}

TEST(SpeedLimiterTest, ZeroRateChangesNothingAndUnlimitedAlwaysPasses) {
  VemoLimitHttpSpeed limiter;
  Pace pace;
  EXPECT_TRUE(limiter.allowWrite(pace, size_t{1} << 30, 0));
  limiter.updateBandwidth(204800, 16384);
  limiter.updateBandwidth(0, 16384);
  EXPECT_EQ(102400, limiter.windowLimit());
  limiter.updateBandwidth(-1, 16384);
  EXPECT_FALSE(limiter.limited());
  EXPECT_TRUE(limiter.allowWrite(pace, size_t{1} << 30, 0));
}

TEST(SpeedLimiterTest, AWindowPassesItsBudgetThenHoldsUntilTheNext) {
  VemoLimitHttpSpeed limiter;
  limiter.updateBandwidth(204800, 16384);
  Pace pace;
  int64_t t = 10000;
  EXPECT_EQ(102400, fill_window(limiter, pace, 16384 / 4, t));
  EXPECT_TRUE(pace.paused);
  EXPECT_FALSE(limiter.progressStep(pace, t + 200));  // same window: still held
  EXPECT_TRUE(pace.paused);
  EXPECT_TRUE(limiter.progressStep(pace, t + 501));  // next window: resume
  EXPECT_FALSE(pace.paused);
  EXPECT_EQ(102400, fill_window(limiter, pace, 16384 / 4, t + 501));
}

TEST(SpeedLimiterTest, AnOversizedWriteIsPaidForInLaterWindows) {
  VemoLimitHttpSpeed limiter;
  limiter.updateBandwidth(16384, 16384);  // 8192 per window
  Pace pace;
  int64_t t = 10000;
  // One write four windows large passes once (it could never pass otherwise)...
  EXPECT_TRUE(limiter.allowWrite(pace, 4 * 8192, t));
  EXPECT_FALSE(limiter.allowWrite(pace, 1, t));
  // ...and the next three windows give nothing.
  for (int window = 1; window <= 3; ++window) {
    t += 501;
    EXPECT_FALSE(limiter.progressStep(pace, t)) << window;
    EXPECT_FALSE(limiter.allowWrite(pace, 1, t)) << window;
  }
  t += 501;
  EXPECT_TRUE(limiter.progressStep(pace, t));
  EXPECT_TRUE(limiter.allowWrite(pace, 1, t));
}

TEST(SpeedLimiterTest, LongRunAverageKeepsTheRate) {
  VemoLimitHttpSpeed limiter;
  limiter.updateBandwidth(204800, 16384);
  Pace pace;
  int64_t passed = 0;
  for (int64_t t = 10000; t < 20000; t += 10) {  // 10 s of writes of 12 KB tried every 10 ms
    limiter.progressStep(pace, t);
    if (limiter.allowWrite(pace, 12000, t)) passed += 12000;
  }
  EXPECT_NEAR(204800.0 * 10, static_cast<double>(passed), 204800.0 * 10 * 0.05);
}

TEST(SpeedLimiterTest, HighPriorityDownloadsShareEightyPercent) {
  VemoLimitHttpSpeed limiter;
  limiter.updateBandwidth(204800, 16384);
  Pace high{1, false}, normal{0, false};
  int64_t t = 10000;
  // The first high-priority write switches the window to the split.
  int64_t high_bytes = fill_window(limiter, high, 1024, t);
  int64_t normal_bytes = fill_window(limiter, normal, 1024, t);
  EXPECT_EQ(81920, high_bytes);
  EXPECT_EQ(20480, normal_bytes);
  // A held normal download does not resume while its share is spent.
  EXPECT_FALSE(limiter.progressStep(normal, t + 100));
  // A window without high-priority writes is followed by an unsplit one.
  t += 501;
  EXPECT_TRUE(limiter.progressStep(normal, t));
  t += 501;
  limiter.progressStep(normal, t);
  EXPECT_EQ(102400, fill_window(limiter, normal, 1024, t));
}

}  // namespace
