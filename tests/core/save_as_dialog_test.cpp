#include "core/save_as_dialog.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/text_convert.h"
#include "test_support.h"

namespace {

constexpr int kFileNameCombo = 0x47c;  // cmb13 of the explorer-style dialog
constexpr int kFileNameEdit = 0x480;   // edt1 where cmb13 is absent

BOOL CALLBACK match_dialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (process == GetCurrentProcessId() && std::wstring(name) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

HWND find_dialog() {
  HWND found = nullptr;
  EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Plays the user: waits for the dialog, optionally types a name, then presses a button.
std::thread answer_dialog(const std::wstring& name, int button) {
  return std::thread([name, button] {
    for (int i = 0; i < 300; ++i) {  // up to 30 s: the first dialog under Wine is slow
      if (HWND dialog = find_dialog()) {
        Sleep(300);
        if (!name.empty() && !SetDlgItemTextW(dialog, kFileNameCombo, name.c_str()))
          SetDlgItemTextW(dialog, kFileNameEdit, name.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return;
      }
      Sleep(100);
    }
  });
}

TEST(SaveAsDialog, CancelGivesMinusOne) {
  vemo::test::TempDir dir("save-as-cancel");
  ASSERT_TRUE(vemo::test::write_file(dir.file("report.txt"), "content"));
  std::thread user = answer_dialog(L"", IDCANCEL);
  EXPECT_EQ(vemosdkWindowsSaveAsFile(dir.file("report.txt").c_str()), -1);
  user.join();
}

TEST(SaveAsDialog, CopiesAndAddsTheExtensionButNeverOverwrites) {
  vemo::test::TempDir dir("save-as-copy");
  ASSERT_TRUE(vemo::test::write_file(dir.file("report.txt"), "content"));
  std::thread user = answer_dialog(utf8_to_wstring(dir.file("copy")), IDOK);
  EXPECT_EQ(vemosdkWindowsSaveAsFile(dir.file("report.txt").c_str()), 0);
  user.join();
  std::string copied;
  ASSERT_TRUE(vemo::test::read_file(dir.file("copy.txt"), copied));
  EXPECT_EQ(copied, "content");

  ASSERT_TRUE(vemo::test::write_file(dir.file("taken.txt"), "keep"));
  std::thread again = answer_dialog(utf8_to_wstring(dir.file("taken.txt")), IDOK);
  int result = vemosdkWindowsSaveAsFile(dir.file("report.txt").c_str());
  again.join();
  std::string kept;
  ASSERT_TRUE(vemo::test::read_file(dir.file("taken.txt"), kept));
  EXPECT_EQ(kept, "keep");
  EXPECT_EQ(result, -2);
}

}  // namespace
