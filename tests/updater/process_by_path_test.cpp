#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/owners.h"
#include "core/text_convert.h"
#include "process_by_path.h"
#include "test_support.h"

namespace {

using vemo::test::TempDir;

std::string child() { return vemo::test::test_bin_dir() + "\\child_program.exe"; }

// A running copy of the test child under a chosen path.
class Victim {
public:
  Victim(const std::string& exe, const std::string& arguments) {
    std::wstring command = L"\"" + utf8_to_wstring(exe) + L"\" " + utf8_to_wstring(arguments);
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(utf8_to_wstring(exe).c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      CloseHandle(info.hThread);
      process_.reset(info.hProcess);
    }
  }
  ~Victim() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.get(), 99);
      WaitForSingleObject(process_.get(), 5000);
    }
  }
  bool started() const { return static_cast<bool>(process_); }
  // The exit code once ended (within 10 s), else STILL_ACTIVE.
  DWORD exit_code() const {
    WaitForSingleObject(process_.get(), 10000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }

private:
  vemo::UniqueHandle process_;
};

std::string copy_child(const std::string& path) {
  CopyFileA(child().c_str(), path.c_str(), FALSE);
  return path;
}

bool wait_for_window(const char* title) {
  for (int i = 0; i < 200; ++i) {
    if (FindWindowA(nullptr, title)) return true;
    Sleep(50);
  }
  return false;
}

std::string upper(std::string text) {
  CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string with_slashes(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

TEST(ProcessByPath, FoundByItsFullPathWhateverTheCaseOrSlashes) {
  TempDir dir("by path find");
  std::string exe = copy_child(dir.file("Victim.exe"));
  CreateDirectoryA(dir.file("other").c_str(), nullptr);
  std::string same_name_elsewhere = copy_child(dir.file("other\\Victim.exe"));

  EXPECT_EQ(0, find_process_by_path(exe));
  Victim victim(exe, "--sleep-ms 30000");
  ASSERT_TRUE(victim.started());
  EXPECT_EQ(1, find_process_by_path(exe));
  EXPECT_EQ(1, find_process_by_path(upper(exe)));
  EXPECT_EQ(1, find_process_by_path(with_slashes(exe)));
  // The same executable name in another folder is another program.
  EXPECT_EQ(0, find_process_by_path(same_name_elsewhere));

  std::vector<DWORD> pids;
  EXPECT_EQ(1, enum_process_by_path(exe, &pids));
  EXPECT_EQ(1u, pids.size());
}

TEST(ProcessByPath, FoundUnderAnInstallPathLongerThanMaxPath) {
  TempDir dir("by path long");
  std::wstring folder = L"\\\\?\\" + utf8_to_wstring(dir.path());
  while (folder.size() < 320) {
    folder += L"\\a_rather_long_install_folder_name";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
  }
  std::wstring exe = folder + L"\\deep.exe";
  ASSERT_TRUE(CopyFileW(utf8_to_wstring(child()).c_str(), exe.c_str(), FALSE));
  std::string plain = wstring_to_utf8(exe.substr(4));
  ASSERT_GT(plain.size(), static_cast<size_t>(MAX_PATH));
  Victim victim(wstring_to_utf8(exe), "--sleep-ms 30000");
  if (!victim.started()) GTEST_SKIP() << "this system cannot start a program from a path this long";
  EXPECT_EQ(1, find_process_by_path(plain));
  KillByPathResult killed = kill_process_by_path(plain);
  EXPECT_EQ(1, killed.matched);
  EXPECT_EQ(1, killed.killed);
}

TEST(KillProcessByPath, NothingRunningGivesZeroAndZero) {
  TempDir dir("kill nothing");
  KillByPathResult result = kill_process_by_path(dir.file("not running.exe"));
  EXPECT_EQ(0, result.matched);
  EXPECT_EQ(0, result.killed);
}

TEST(KillProcessByPath, EachKindOfProgramEnds) {
  // graceful: the program ended itself (exit code 7); otherwise it was
  // terminated with exit code 0.
  const struct {
    const char* name;
    const char* arguments;
    const char* window;
    DWORD exit_code;
  } cases[] = {
      {"windowless.exe", "--sleep-ms 30000 --exit-code 7", nullptr, 0},
      {"windowed.exe", "--window kill_windowed --exit-code 7", "kill_windowed", 7},
      // Like the launcher in the tray: a close only hides it, the shut-down
      // request ends it.
      {"tray.exe", "--window kill_tray --window-kind tray --exit-code 7", "kill_tray", 7},
  };
  for (const auto& c : cases) {
    TempDir dir(std::string("kill ") + c.name);
    std::string exe = copy_child(dir.file(c.name));
    Victim victim(exe, c.arguments);
    ASSERT_TRUE(victim.started()) << c.name;
    if (c.window) {
      ASSERT_TRUE(wait_for_window(c.window)) << c.name;
    }
    KillByPathResult result = kill_process_by_path(exe);
    EXPECT_EQ(1, result.matched) << c.name;
    EXPECT_EQ(1, result.killed) << c.name;
    EXPECT_EQ(c.exit_code, victim.exit_code()) << c.name;
    EXPECT_EQ(0, find_process_by_path(exe)) << c.name;
  }
}

// Run only inside the copy started below: kills by its own program path and
// says by its exit code that it is still alive afterwards.
constexpr DWORD kSurvivedOwnKill = 42;
TEST(KillProcessByPath, DISABLED_OwnPathInThisProcess) {
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  KillByPathResult result = kill_process_by_path(wstring_to_utf8(own));
  std::exit(result.matched == 1 && result.killed == 0 ? static_cast<int>(kSurvivedOwnKill) : 1);
}

TEST(KillProcessByPath, NeverEndsTheCallingProcess) {
  TempDir dir("kill own path");
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  // A copy of this program, so that the path names no other process.
  std::string exe = dir.file("own_path.exe");
  ASSERT_TRUE(CopyFileW(own, utf8_to_wstring(exe).c_str(), FALSE));
  Victim caller(exe, "--gtest_also_run_disabled_tests --gtest_filter=KillProcessByPath.DISABLED_OwnPathInThisProcess");
  ASSERT_TRUE(caller.started());
  EXPECT_EQ(kSurvivedOwnKill, caller.exit_code());
}

TEST(CloseOrKill, ProgramThatIgnoresTheCloseIsTerminatedAfterTheWait) {
  TempDir dir("kill stubborn");
  std::string exe = copy_child(dir.file("stubborn.exe"));
  Victim victim(exe, "--window kill_stubborn --window-kind stubborn --exit-code 7");
  ASSERT_TRUE(victim.started());
  ASSERT_TRUE(wait_for_window("kill_stubborn"));
  std::vector<DWORD> pids;
  ASSERT_EQ(1, enum_process_by_path(exe, &pids));
  vemo::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pids[0]));
  ASSERT_TRUE(process);
  EXPECT_TRUE(close_or_kill(process.get(), pids[0], 300));
  EXPECT_EQ(0u, victim.exit_code());
}

TEST(BringProcessToFront, NeedsAMainWindow) {
  TempDir dir("front");
  std::string windowless = copy_child(dir.file("windowless.exe"));
  std::string windowed = copy_child(dir.file("windowed.exe"));
  Victim quiet(windowless, "--sleep-ms 30000");
  Victim loud(windowed, "--window front_windowed --sleep-ms 30000");
  ASSERT_TRUE(wait_for_window("front_windowed"));
  EXPECT_FALSE(bring_process_to_front(windowless));
  EXPECT_FALSE(bring_process_to_front(dir.file("missing.exe")));
  EXPECT_TRUE(bring_process_to_front(windowed));
  EXPECT_EQ(FindWindowA(nullptr, "front_windowed"), GetForegroundWindow());
}

}  // namespace
