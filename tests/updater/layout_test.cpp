#include <gtest/gtest.h>

#include "progress_state.h"
#include "updater_layout.h"

namespace {

SIZE no_picture() { return SIZE{0, 0}; }
int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

TEST(UpdaterLayout, TenValuesScaleWithTheSystemDpi) {
  UpdaterLayout at96 = scale_updater_layout(96);
  EXPECT_EQ(1200, at96.window_width);
  EXPECT_EQ(46, at96.button_width);
  EXPECT_EQ(60, at96.caption_height);

  UpdaterLayout at144 = scale_updater_layout(144);
  EXPECT_EQ(1800, at144.window_width);
  EXPECT_EQ(1017, at144.window_height);
  EXPECT_EQ(69, at144.button_width);
  EXPECT_EQ(69, at144.button_height);
  EXPECT_EQ(90, at144.close_margin);
  EXPECT_EQ(30, at144.button_top);
  EXPECT_EQ(12, at144.button_gap);
  EXPECT_EQ(1500, at144.progress_width);
  EXPECT_EQ(240, at144.panel_height);
  EXPECT_EQ(90, at144.caption_height);

  EXPECT_EQ(1200, scale_updater_layout(72).window_width);  // never shrunk below 96 dpi
}

TEST(UpdaterGeometry, ButtonsPanelProgressAreaAndLabelAt96Dpi) {
  UpdaterGeometry g = compute_updater_geometry(scale_updater_layout(96), 96, 1200, no_picture());
  EXPECT_EQ(1200 - 60 - 46, g.close_button.left);
  EXPECT_EQ(20, g.close_button.top);
  EXPECT_EQ(46, width(g.close_button));
  EXPECT_EQ(1200 - 2 * 46 - 8 - 60, g.minimise_button.left);
  EXPECT_EQ(8, g.close_button.left - g.minimise_button.right);

  EXPECT_EQ((RECT{0, 678 - 160, 1200, 678}.top), g.panel.top);
  EXPECT_EQ(1200, width(g.panel));
  EXPECT_EQ(160, height(g.panel));
  EXPECT_EQ(100, g.progress_area.left);
  EXPECT_EQ(20, g.progress_area.top);
  EXPECT_EQ(1000, width(g.progress_area));

  // The drawn action button: 160 x 40, centred, 24 above the bottom margin.
  EXPECT_EQ(160, width(g.action_button));
  EXPECT_EQ(40, height(g.action_button));
  EXPECT_EQ(420, g.action_button.left);
  EXPECT_EQ(160 - 20 - 40 - 24, g.action_button.top);

  EXPECT_EQ(1200 - 10 - 200, g.version_label.left);
  EXPECT_EQ(140, g.version_label.top);
  EXPECT_EQ(20, height(g.version_label));
}

TEST(UpdaterGeometry, ActionButtonTakesThePictureSizeScaledByDpi) {
  UpdaterLayout layout = scale_updater_layout(144);
  UpdaterGeometry g = compute_updater_geometry(layout, 144, layout.window_width, SIZE{120, 30});
  EXPECT_EQ(180, width(g.action_button));
  EXPECT_EQ(45, height(g.action_button));
  EXPECT_EQ((1500 - 180) / 2, g.action_button.left);
  EXPECT_EQ(240 - 30 - 45 - 36, g.action_button.top);
  EXPECT_EQ(69, width(g.close_button));
  EXPECT_EQ(1800 - 90 - 69, g.close_button.left);
}

TEST(ProgressAreaGeometry, TitleBarAndTextRows) {
  ProgressAreaGeometry g = compute_progress_area_geometry(1000, 96);
  EXPECT_EQ((RECT{0, 0, 1000, 28}.bottom), g.title.bottom);
  EXPECT_EQ(34, g.bar.top);
  EXPECT_EQ(46, g.bar.bottom);
  EXPECT_EQ(46, g.left_text.top);
  EXPECT_EQ(70, g.left_text.bottom);
  EXPECT_EQ(666, g.left_text.right);
  EXPECT_EQ(666, g.right_text.left);
  EXPECT_EQ(1000, g.right_text.right);
}

TEST(BarShape, OutlineInsetRadiusFitAndFill) {
  const struct {
    RECT bar;
    float percent;
    float width, height, radius, fill;
  } cases[] = {
      // At 96 dpi the outline is 10 high, so the radius 6 shrinks to 5.
      {{0, 34, 1000, 46}, 0, 998, 10, 5, 0},
      {{0, 34, 1000, 46}, 100, 998, 10, 5, 998},
      {{0, 34, 1000, 46}, 50, 998, 10, 5, 499},
      // 144 dpi: 18 high, 16 inside: the full radius fits.
      {{0, 51, 1500, 69}, 25, 1498, 16, 6, 374.5f},
      // Narrower than twice the radius: half the width first.
      {{0, 0, 10, 40}, 100, 8, 38, 4, 8},
      // Too flat for a rounded corner: a plain rectangle.
      {{0, 0, 100, 3}, 10, 98, 1, 0, 9.8f},
  };
  for (const auto& c : cases) {
    BarShape shape = compute_bar_shape(c.bar.left, c.bar.top, c.bar.right, c.bar.bottom, c.percent);
    EXPECT_FLOAT_EQ(c.bar.left + 1.0f, shape.x);
    EXPECT_FLOAT_EQ(c.bar.top + 1.0f, shape.y);
    EXPECT_FLOAT_EQ(c.width, shape.width);
    EXPECT_FLOAT_EQ(c.height, shape.height);
    EXPECT_FLOAT_EQ(c.radius, shape.radius);
    EXPECT_FLOAT_EQ(c.fill, shape.fill_width);
  }
}

}  // namespace
