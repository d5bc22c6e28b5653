#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "paint_helpers.h"
#include "updater_paint.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 20;
constexpr COLORREF kCanvas = RGB(255, 0, 255);

// The bar drawn on a magenta canvas, read back pixel by pixel.
class BarCanvas {
public:
  BarCanvas(const ProgressState& progress, const UpdaterSkin& skin) {
    start_gdiplus_once();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
    HBRUSH canvas = CreateSolidBrush(kCanvas);
    RECT all = {0, 0, kWidth, kHeight};
    FillRect(dc_, &all, canvas);
    DeleteObject(canvas);
    draw_progress_bar(dc_, all, progress, skin);
    GdiFlush();
  }
  ~BarCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  COLORREF at(int x, int y) const {
    std::uint32_t bgra = pixels_[y * kWidth + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }

private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* pixels_ = nullptr;
};

bool close_to(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= 2 && std::abs(GetGValue(a) - GetGValue(b)) <= 2 &&
         std::abs(GetBValue(a) - GetBValue(b)) <= 2;
}

::testing::AssertionResult colour_is(COLORREF expected, COLORREF actual) {
  if (close_to(expected, actual)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "expected RGB(" << int(GetRValue(expected)) << "," << int(GetGValue(expected))
                                       << "," << int(GetBValue(expected)) << ") but found RGB(" << int(GetRValue(actual))
                                       << "," << int(GetGValue(actual)) << "," << int(GetBValue(actual)) << ")";
}

ProgressState progress(float percent, int look = 0) {
  ProgressState state;
  state.percent = percent;
  state.state = look;
  return state;
}

TEST(ProgressBarDrawing, FillCoversPercentOfTheTrack) {
  UpdaterSkin skin;
  const COLORREF track = skin.progress_bottom;
  const COLORREF fill = skin.progress_top;
  {
    BarCanvas empty(progress(0), skin);
    EXPECT_TRUE(colour_is(track, empty.at(10, 10)));
    EXPECT_TRUE(colour_is(track, empty.at(190, 10)));
  }
  {
    BarCanvas half(progress(50), skin);
    EXPECT_TRUE(colour_is(fill, half.at(50, 10)));
    EXPECT_TRUE(colour_is(track, half.at(150, 10)));
  }
  {
    BarCanvas full(progress(100), skin);
    EXPECT_TRUE(colour_is(fill, full.at(10, 10)));
    EXPECT_TRUE(colour_is(fill, full.at(190, 10)));
  }
}

TEST(ProgressBarDrawing, RoundedCornersAndDarkBorder) {
  BarCanvas bar(progress(100), UpdaterSkin());
  EXPECT_TRUE(colour_is(RGB(23, 23, 23), bar.at(100, 1)));
  EXPECT_TRUE(colour_is(RGB(23, 23, 23), bar.at(100, 18)));
  // The corners lie outside the rounded outline: the canvas shows.
  EXPECT_TRUE(colour_is(kCanvas, bar.at(0, 0)));
  EXPECT_TRUE(colour_is(kCanvas, bar.at(kWidth - 1, kHeight - 1)));
}

TEST(ProgressBarDrawing, ErrorStatePaintsTheErrorFillWhateverTheSkinSays) {
  UpdaterSkin skin;
  skin.progress_top = RGB(0, 0, 255);
  BarCanvas error(progress(50, kProgressStateError), skin);
  EXPECT_TRUE(colour_is(RGB(234, 89, 88), error.at(50, 10)));
  EXPECT_TRUE(colour_is(skin.progress_bottom, error.at(150, 10)));
  BarCanvas normal(progress(50), skin);
  EXPECT_TRUE(colour_is(RGB(0, 0, 255), normal.at(50, 10)));
}

}  // namespace
