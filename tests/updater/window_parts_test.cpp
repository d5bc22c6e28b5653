// Pieces of the updater's window that work on their own: the skin pictures
// read into memory, and the hover tracking of the owner-drawn buttons.
#include <gtest/gtest.h>

#include <string>

#include "core/text_convert.h"
#include "paint_helpers.h"
#include "progress_window.h"
#include "skin_images.h"
#include "test_support.h"
#include "updater_state.h"
#include "updater_window.h"

namespace {

using vemo::test::TempDir;

// A 2 x 1 PNG (one red, one blue pixel), written out byte by byte.
const unsigned char kTinyPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x7B, 0x40, 0xE8, 0xDD, 0x00,
    0x00, 0x00, 0x0D, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0xF8, 0xCF, 0x00, 0x04, 0xFF, 0x01, 0x07,
    0x00, 0x01, 0xFF, 0xE2, 0x23, 0x9E, 0x59, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42,
    0x60, 0x82,
};

class SkinPictures : public ::testing::Test {
protected:
  void SetUp() override { start_gdiplus_once(); }
};

TEST_F(SkinPictures, ReadIntoMemorySoTheFileCanBeReplacedWhileShown) {
  TempDir dir("skin pictures");
  std::string path = dir.file("button.png");
  ASSERT_TRUE(vemo::test::write_file(path, std::string(reinterpret_cast<const char*>(kTinyPng), sizeof kTinyPng)));
  std::unique_ptr<SkinImage> image = SkinImage::load(utf8_to_wstring(path));
  ASSERT_TRUE(image);
  EXPECT_EQ(2, image->size().cx);
  EXPECT_EQ(1, image->size().cy);

  // The updater may replace its own skin: the file is free at once.
  ASSERT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
  ASSERT_TRUE(vemo::test::write_file(path, "new picture"));
  // The decoded picture still draws from its own copy of the bytes.
  Gdiplus::Bitmap target(4, 4, PixelFormat32bppARGB);
  Gdiplus::Graphics graphics(&target);
  EXPECT_EQ(Gdiplus::Ok, graphics.DrawImage(image->get(), 0, 0, 2, 1));
  Gdiplus::Color first;
  target.GetPixel(0, 0, &first);
  EXPECT_EQ(255, first.GetRed());
  EXPECT_EQ(0, first.GetBlue());
}

TEST_F(SkinPictures, MissingEmptyOrUndecodableFilesGiveNoPicture) {
  TempDir dir("skin bad pictures");
  ASSERT_TRUE(vemo::test::write_file(dir.file("empty.png"), ""));
  ASSERT_TRUE(vemo::test::write_file(dir.file("text.png"), "this is not a picture"));
  std::string truncated(reinterpret_cast<const char*>(kTinyPng), 30);
  ASSERT_TRUE(vemo::test::write_file(dir.file("truncated.png"), truncated));
  for (const char* name : {"missing.png", "empty.png", "text.png", "truncated.png"})
    EXPECT_FALSE(SkinImage::load(utf8_to_wstring(dir.file(name)))) << name;
}

TEST(HoverButtons, TrackTheMouseAndStillBehaveAsButtons) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"hover parent", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(parent);
  const int ids[] = {kCloseButtonControl, kMinimiseButtonControl, kActionButtonControl};
  ProgressState& progress = updater_state().progress;
  bool* flags[] = {&progress.close_hover, &progress.minimise_hover, &progress.action_hover};
  for (int i = 0; i < 3; ++i) {
    HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_OWNERDRAW, 0, 0, 40, 40, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids[i])), nullptr, nullptr);
    ASSERT_TRUE(button);
    subclass_hover_button(button);
    *flags[i] = false;
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(*flags[i]) << ids[i];
    SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(*flags[i]) << ids[i];
    EXPECT_EQ(1, SendMessageW(button, WM_ERASEBKGND, 0, 0));
    // Everything else reaches the button's own procedure.
    SetWindowTextW(button, L"Retry");
    wchar_t text[16] = {};
    GetWindowTextW(button, text, 16);
    EXPECT_STREQ(L"Retry", text);
  }
  // The other buttons' flags are left alone.
  progress.close_hover = false;
  HWND other = GetDlgItem(parent, kMinimiseButtonControl);
  SendMessageW(other, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(progress.close_hover);
  EXPECT_TRUE(progress.minimise_hover);
  DestroyWindow(parent);
}

// The progress area as the updater builds it, under a plain main window.
class ProgressArea : public ::testing::Test {
protected:
  void SetUp() override {
    start_gdiplus_once();
    UpdaterState& state = updater_state();
    ASSERT_FALSE(state.progress_windows.classes_tried);
    state.instance = GetModuleHandleW(nullptr);
    state.main_window = CreateWindowExW(0, L"STATIC", L"progress main", WS_POPUP | WS_VISIBLE, 0, 0, 1200, 678,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(state.main_window);
    createProgressWindow();
    ASSERT_TRUE(state.progress_windows.action_button);
    pump();
  }
  void TearDown() override {
    UpdaterState& state = updater_state();
    DestroyWindow(state.main_window);
    state.main_window = nullptr;
    ProgressWindows& windows = state.progress_windows;
    windows.classes_tried = false;
    windows.panel = windows.area = windows.action_button = windows.version_label = nullptr;
    state.progress = ProgressState();
  }
  static void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  static int button_draws(const vemo::test::DebugLogCapture& log) {
    int count = 0;
    for (const std::string& line : log.lines())
      count += line.find("WM_DRAWITEM Button_Bottom_Tag") != std::string::npos ? 1 : 0;
    return count;
  }
};

TEST_F(ProgressArea, ActionButtonRepaintsAtOnceWhenItsTextChanges) {
  HWND button = updater_state().progress_windows.action_button;
  EXPECT_FALSE(IsWindowVisible(button));  // hidden until the scripts give it a text
  {
    vemo::test::DebugLogCapture log;
    update_download_progress(R"({"buttonText":"Retry"})");
    EXPECT_TRUE(IsWindowVisible(button));
    EXPECT_LE(1, button_draws(log)) << "drawn before any message is handled";
  }
  pump();
  {
    vemo::test::DebugLogCapture log;
    update_download_progress(R"({"buttonText":"Cancel"})");
    EXPECT_LE(1, button_draws(log));
  }
  pump();
  {
    vemo::test::DebugLogCapture log;
    updater_state().in_move = true;  // a move loop paints later
    update_download_progress(R"({"buttonText":"Again"})");
    updater_state().in_move = false;
    EXPECT_EQ(0, button_draws(log));
  }
  pump();
  update_download_progress(R"({"percent":5})");
  EXPECT_FALSE(IsWindowVisible(button));
}

TEST(ForceFrontWindow, LogsTheForegroundClassAsUtf8) {
  WNDCLASSEXW wc = {sizeof(wc)};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"\x524d\x53f0\x7a97\x53e3";  // "前台窗口"
  ASSERT_TRUE(RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
  HWND foreground = CreateWindowExW(0, wc.lpszClassName, L"front holder", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                    nullptr, nullptr, wc.hInstance, nullptr);
  HWND window = CreateWindowExW(0, L"STATIC", L"front target", WS_POPUP | WS_VISIBLE, 200, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_TRUE(foreground && window);
  SetForegroundWindow(foreground);
  ASSERT_EQ(foreground, GetForegroundWindow());
  std::vector<std::string> lines;
  {
    vemo::test::DebugLogCapture log;
    force_front_window(window);
    lines = log.lines();
  }
  DestroyWindow(window);
  DestroyWindow(foreground);
  bool found = false;
  for (const std::string& line : lines) found = found || line.find(u8"fg_class=前台窗口 ") != std::string::npos;
  EXPECT_TRUE(found) << (lines.empty() ? "" : lines.back());
}

}  // namespace
