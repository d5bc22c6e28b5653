#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>

#include "tray_icon.h"

namespace {

// FNV-1a for the first half; the second half mixes (byte + 158) and rotates.
// Computed apart from the program for "vemosdk_launcher_tray_v1::".
const GUID kEmptyNameGuid = {0xfdc6eace, 0x4ec1, 0xb971, {0xc2, 0x8a, 0xbe, 0x57, 0x75, 0x85, 0x31, 0x77}};

bool same(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

TEST(TrayGuid, DerivedFromTheLauncherName) {
  EXPECT_TRUE(same(kEmptyNameGuid, make_tray_guid("vemosdk_launcher_tray_v1::")));
  EXPECT_TRUE(same(make_tray_guid("vemosdk_launcher_tray_v1::a"), make_tray_guid("vemosdk_launcher_tray_v1::a")));
  EXPECT_FALSE(same(make_tray_guid("vemosdk_launcher_tray_v1::a"), make_tray_guid("vemosdk_launcher_tray_v1::b")));
  // Bytes above 0x7f (UTF-8 names) take part as unsigned values.
  EXPECT_FALSE(same(make_tray_guid("\xe6\xb8\xb8"), make_tray_guid("\x66\x38\x38")));
}

class TrayIconTest : public testing::Test {
protected:
  void SetUp() override {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"vemo_tray_test";
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window_);
    tray_.set_guid(make_tray_guid("vemosdk_launcher_tray_v1::tray test"));
  }
  void TearDown() override {
    tray_.remove();
    DestroyWindow(window_);
  }

  bool shell_delete() {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = window_;
    data.uID = kTrayIconId;
    data.uFlags = NIF_GUID;
    data.guidItem = make_tray_guid("vemosdk_launcher_tray_v1::tray test");
    return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
  }

  HWND window_ = nullptr;
  TrayIcon tray_;
};

TEST_F(TrayIconTest, AddsOnceAndRemoves) {
  EXPECT_FALSE(tray_.create(nullptr));
  ASSERT_TRUE(tray_.create(window_));
  EXPECT_TRUE(tray_.added());
  EXPECT_TRUE(tray_.uses_guid());

  // While added, a second create does not go to the shell again: the icon
  // deleted behind its back stays deleted.
  ASSERT_TRUE(shell_delete());
  EXPECT_TRUE(tray_.create(window_));
  EXPECT_FALSE(shell_delete());

  tray_.remove();
  EXPECT_FALSE(tray_.added());
  tray_.remove();  // not added: only releases the icon
}

TEST_F(TrayIconTest, TipIsTheWindowTitleCutToTheRecordOrTheDefault) {
  const struct {
    std::wstring title;
    std::wstring tip;
  } cases[] = {
      {L"", L"Vemo Launcher"},
      {L"My Game", L"My Game"},
      {std::wstring(200, L'x'), std::wstring(127, L'x')},  // 128 with the terminator
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title.size());
    SetWindowTextW(window_, c.title.c_str());
    ASSERT_TRUE(tray_.create(window_));
    EXPECT_EQ(c.tip, tray_.tip());
    tray_.remove();
  }
}

TEST_F(TrayIconTest, TaskbarRestartAddsTheIconAgain) {
  ASSERT_TRUE(tray_.create(window_));
  ASSERT_TRUE(shell_delete());  // what an Explorer restart does to it
  tray_.on_taskbar_created(window_);
  EXPECT_TRUE(tray_.added());
  EXPECT_TRUE(shell_delete());
}

}  // namespace
