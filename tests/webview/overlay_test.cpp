// The loading overlay in real windows: one window of its class, centred on
// its parent and following it, its animation thread ending when stopped;
// window images from BMP and PNG texts, truncated ones refused.
#include "webview/overlay/loading_frames.h"
#include "webview/overlay/loading_overlay.h"
#include "webview/overlay/window_image.h"
#include "webview/overlay/window_placement.h"

#include "core/base64.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace VemoSDK;

void pump(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(5);
  }
}

bool pumpUntil(const std::function<bool()>& done, int ms = 5000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    pump(10);
  }
  return true;
}

// Tests run side by side on one display: only this process's windows count.
bool ownWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

std::vector<HWND> windowsOfClass(const char* name) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExA(nullptr, nullptr, name, nullptr); w; w = FindWindowExA(nullptr, w, name, nullptr))
    if (ownWindow(w)) found.push_back(w);
  return found;
}

HWND makeParent(int x, int y) {
  return CreateWindowExW(0, L"STATIC", L"overlay parent", WS_POPUP | WS_VISIBLE, x, y, 300, 200, nullptr, nullptr,
                         nullptr, nullptr);
}

RECT screenRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

long countLines(const vemo::test::DebugLogCapture& log, const std::string& text) {
  std::vector<std::string> lines = log.lines();
  return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

TEST(LoadingOverlay, CentredOnItsParentAndFollowingItsMoves) {
  HWND first = makeParent(100, 100);
  HWND second = makeParent(500, 100);
  {
    Loading a(first, 100, 100, 400, 300, WS_POPUP, 55, 55);
    Loading b(second, 500, 100, 800, 300, WS_POPUP, 55, 55);
    a.start();
    a.start();  // a second start keeps the one window
    b.start();
    ASSERT_TRUE(a.window());
    EXPECT_EQ(windowsOfClass("VemoSdkLoadingView").size(), 2u);
    RECT at = screenRect(a.window());
    EXPECT_EQ(at.left, 150 + 100 - 27);
    EXPECT_EQ(at.top, 100 + 100 - 27);
    EXPECT_EQ(Loading::forParent(first), &a);

    // Both overlays follow through one hook of this thread; stopping one
    // must not stop the other from following.
    a.stop();
    SetWindowPos(second, nullptr, 600, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // Windows reports the move itself; Wine 8 does not, so the test does.
    NotifyWinEvent(EVENT_OBJECT_LOCATIONCHANGE, second, OBJID_WINDOW, CHILDID_SELF);
    EXPECT_TRUE(pumpUntil([&] { return screenRect(b.window()).left == 600 + 150 - 27; }))
        << screenRect(b.window()).left;
    EXPECT_EQ(screenRect(b.window()).top, 300 + 100 - 27);
    EXPECT_EQ(screenRect(b.window()).right - screenRect(b.window()).left, 55) << "moving keeps the size";
    EXPECT_FALSE(IsWindowVisible(a.window()));
  }
  EXPECT_TRUE(windowsOfClass("VemoSdkLoadingView").empty());
  EXPECT_EQ(Loading::forParent(first), nullptr);
  DestroyWindow(first);
  DestroyWindow(second);
}

TEST(LoadingOverlay, StopWithoutStartAndTheAnimationThreadsEnd) {
  vemo::test::DebugLogCapture log;
  HWND parent = makeParent(100, 100);
  Loading idle(parent, 0, 0, 100, 100, WS_POPUP, 55, 55);
  idle.stop();
  EXPECT_EQ(idle.window(), nullptr);
  EXPECT_EQ(countLines(log, "loading _running false"), 0);

  {
    Loading a(parent, 100, 100, 400, 300, WS_POPUP, 55, 55);
    Loading b(parent, 100, 100, 400, 300, WS_POPUP, 55, 55);
    a.start();
    b.start();
    ASSERT_TRUE(pumpUntil([&] { return countLines(log, "vemo_gif: looping start") == 2; }));
    a.stop();
    ASSERT_TRUE(pumpUntil([&] { return countLines(log, "vemo_png: stop drawing") == 1; }));
    pump(100);
    EXPECT_EQ(countLines(log, "vemo_png: stop drawing"), 1) << "the other overlay keeps animating";
    a.start();  // runs again with a thread of its own
    ASSERT_TRUE(pumpUntil([&] { return countLines(log, "vemo_png: start drawing") == 3; }));
  }
  EXPECT_TRUE(pumpUntil([&] { return countLines(log, "vemo_png: stop drawing") == 3; }))
      << "destroyed overlays end their threads";
  DestroyWindow(parent);
}

TEST(WindowPlacement, CentreRectGrowsSmallWindowsOnly) {
  struct Case {
    int width, height;
    RECT expected;
  } cases[] = {
      {100, 80, {10, 20, 110, 100}},
      {1, 1, {10 - 19, 20 - 19, 10 - 19 + 40, 20 - 19 + 40}},
      {39, 100, {10, 20, 50, 120}},  // half of 1 rounds down to 0
  };
  for (const Case& c : cases) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 10, 20, c.width, c.height, nullptr, nullptr, nullptr,
                                  nullptr);
    RECT r = centreRect(window);
    EXPECT_EQ(r.left, c.expected.left) << c.width;
    EXPECT_EQ(r.top, c.expected.top) << c.width;
    EXPECT_EQ(r.right, c.expected.right) << c.width;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.width;
    DestroyWindow(window);
  }
}

// A BMP file of the given size and depth, with pixel bytes cut short by `missing`.
std::string bmpFile(int32_t width, int32_t height, uint16_t bits, size_t missing = 0, uint32_t offset = 54) {
  uint32_t stored = 54;  // where the pixels really start
  uint32_t stride = (uint32_t(width) * bits + 31) / 32 * 4;
  uint32_t pixels = stride * uint32_t(height < 0 ? -height : height);
  std::vector<unsigned char> b(stored + pixels - missing, 0x7f);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, static_cast<uint32_t>(b.size()));
  put32(10, offset);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  b[26] = 1;
  b[27] = 0;
  b[28] = static_cast<unsigned char>(bits);
  b[29] = 0;
  for (size_t i = 30; i < 54; ++i) b[i] = 0;
  return base64_encode(b.data(), b.size());
}

TEST(WindowImageTest, BitmapsAreCheckedAgainstTheirLength) {
  struct Case {
    const char* what;
    std::string text;
    bool loads;
    int width, height;
  } cases[] = {
      {"24-bit 3 x 2", bmpFile(3, 2, 24), true, 3, 2},
      {"32-bit top-down", bmpFile(4, -5, 32), true, 4, 5},
      {"one byte of pixels missing", bmpFile(3, 2, 24, 1), false, 0, 0},
      {"bits offset past the end", bmpFile(3, 2, 24, 0, 4000), false, 0, 0},
      {"only the headers", bmpFile(3, 2, 24, 24), false, 0, 0},
      {"not base64 of a bitmap", "aGVsbG8gd29ybGQ=", false, 0, 0},
      {"empty", "", false, 0, 0},
  };
  for (const Case& c : cases) {
    WindowImage image;
    EXPECT_EQ(image.load(WindowImage::kBitmap, c.text), c.loads) << c.what;
    EXPECT_EQ(image.empty(), !c.loads) << c.what;
    EXPECT_EQ(image.width(), c.width) << c.what;
    EXPECT_EQ(image.height(), c.height) << c.what;
  }
  // A header that claims 60000 x 60000 pixels over a few bytes.
  std::string big = bmpFile(2, 2, 24);
  std::vector<unsigned char> bytes = base64_decode_string(big);
  bytes[18] = bytes[19] = 0x60;
  bytes[22] = bytes[23] = 0x60;
  WindowImage image;
  EXPECT_FALSE(image.load(WindowImage::kBitmap, base64_encode(bytes.data(), bytes.size())));
  EXPECT_FALSE(isCompleteBmp(bytes));
}

TEST(WindowImageTest, PngImagesAndPainting) {
  HWND window = CreateWindowExW(0, L"STATIC", L"image", WS_POPUP | WS_VISIBLE, 0, 0, 80, 80, nullptr, nullptr,
                                nullptr, nullptr);
  WindowImage png;
  ASSERT_TRUE(png.load(WindowImage::kGdiplusImage, loadingFrames()[0]));
  EXPECT_EQ(png.width(), 55);
  EXPECT_EQ(png.height(), 55);
  InvalidateRect(window, nullptr, FALSE);
  EXPECT_TRUE(png.paint(window));

  WindowImage broken;
  std::string cut = std::string(loadingFrames()[0]).substr(0, 40);
  EXPECT_FALSE(broken.load(WindowImage::kGdiplusImage, cut));
  EXPECT_TRUE(broken.empty());
  EXPECT_FALSE(broken.paint(window));

  WindowImage bitmap;
  ASSERT_TRUE(bitmap.load(WindowImage::kBitmap, bmpFile(8, 8, 24)));
  InvalidateRect(window, nullptr, FALSE);
  EXPECT_TRUE(bitmap.paint(window));
  DestroyWindow(window);
}

TEST(LoadingFrames, EveryFrameDecodes) {
  ASSERT_EQ(loadingFrameCount(), 29);
  for (int i = 0; i < loadingFrameCount(); ++i) {
    WindowImage frame;
    EXPECT_TRUE(frame.load(WindowImage::kGdiplusImage, loadingFrames()[i])) << i;
  }
}

}  // namespace
