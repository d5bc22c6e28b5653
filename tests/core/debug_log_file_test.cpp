#include "core/debug_log_file.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "child_process.h"
#include "core/debug_log.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

using vemo::test::read_file;
using vemo::test::run_sibling;
using vemo::test::TempDir;

TEST(DebugLogFile, NameHoldsTheDayTheProcessAndTheIndex) {
  SYSTEMTIME day = {};
  day.wYear = 2024;
  day.wMonth = 5;
  day.wDay = 1;
  EXPECT_EQ(debug_log_file_name("c:\\VemoSdkLogs\\", day, 1234, 1), "c:\\VemoSdkLogs\\2024-05-01_1234_001.log");
  EXPECT_EQ(debug_log_file_name("d\\", day, 7, 12), "d\\2024-05-01_7_012.log");
}

TEST(DebugLogFile, NeedsOneGibibyteFree) {
  EXPECT_FALSE(debug_log_disk_has_room(0));
  EXPECT_FALSE(debug_log_disk_has_room(1073741823ull));
  EXPECT_TRUE(debug_log_disk_has_room(1073741824ull));
}

// The child chooses its file in the folder; its name carries the child's process id,
// which the test learns from the one file that appears.
std::string only_log_file(const TempDir& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(utf8_to_wstring(dir.file("*.log")).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::string name = wstring_to_utf8(data.cFileName);
  bool more = FindNextFileW(find, &data);
  FindClose(find);
  return more ? "more than one" : name;
}

TEST(DebugLogFile, ChildWithAFolderAndRoomWritesItsLines) {
  TempDir dir("debug-log-file");
  auto child = run_sibling("debug_log_probe.exe", "file " + dir.path() + "\\ 5000000000");
  EXPECT_EQ(child.exit_code, 0);
  EXPECT_EQ(child.output, "");  // the console was off
  std::string name = only_log_file(dir);
  ASSERT_NE(name.find("_001.log"), std::string::npos) << name;
  std::string content;
  ASSERT_TRUE(read_file(dir.file(name), content));
  EXPECT_NE(content.find(" VEMO_WIN: probe line 1\r\n"), std::string::npos) << content;
}

TEST(DebugLogFile, ChildWithoutRoomOrFolderWritesNoFile) {
  TempDir dir("debug-log-room");
  auto low = run_sibling("debug_log_probe.exe", "file " + dir.path() + "\\ 1000");
  EXPECT_EQ(low.exit_code, 3);  // logging stays off
  EXPECT_EQ(low.output, "disk C free space too short, do not write log to local file!!!");
  EXPECT_EQ(only_log_file(dir), "");

  auto missing = run_sibling("debug_log_probe.exe", "file " + dir.path() + "\\missing\\ 5000000000");
  EXPECT_EQ(missing.exit_code, 3);
  EXPECT_EQ(missing.output, "");
}

// In this process: the file is chosen once, a full file is skipped, and lines
// are UTF-8 whatever the console's code page.
TEST(DebugLogFile, SkipsAFullFileAndKeepsTheFirstChoice) {
  TempDir dir("debug-log-choice");
  SYSTEMTIME today;
  GetLocalTime(&today);
  std::string full = debug_log_file_name(dir.path() + "\\", today, GetCurrentProcessId(), 1);
  HANDLE h = CreateFileW(utf8_to_wstring(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = kDebugLogFileLimit;
  ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  CloseHandle(h);

  EXPECT_EQ(vemo_debug_enabled(), 0);
  vemo_debug_open_log_file_in(dir.path() + "\\", 5000000000ull);
  EXPECT_EQ(vemo_debug_enabled(), 1);
  TempDir other("debug-log-second");
  vemo_debug_open_log_file_in(other.path() + "\\", 5000000000ull);  // changes nothing

  vemo_debug_set_console(0);  // the file does not depend on the console switch
  EXPECT_EQ(vemo_debug_printf("%s\n", u8"line \u4e2d\u6587"), 1);
  EXPECT_EQ(vemo_debug_print("second"), 1);

  std::string chosen = debug_log_file_name(dir.path() + "\\", today, GetCurrentProcessId(), 2);
  std::string content;
  ASSERT_TRUE(read_file(chosen, content));
  EXPECT_NE(content.find(u8" VEMO_WIN: line \u4e2d\u6587\r\n"), std::string::npos) << content;
  EXPECT_NE(content.find(" VEMO_WIN: second\r\n"), std::string::npos);
  EXPECT_EQ(only_log_file(other), "");
  WIN32_FILE_ATTRIBUTE_DATA info;
  ASSERT_TRUE(GetFileAttributesExW(utf8_to_wstring(full).c_str(), GetFileExInfoStandard, &info));
  EXPECT_EQ(info.nFileSizeLow, static_cast<DWORD>(kDebugLogFileLimit));  // left alone
}

}  // namespace
