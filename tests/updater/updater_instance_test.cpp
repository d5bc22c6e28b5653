#include <gtest/gtest.h>

#include <thread>

#include "core/owners.h"
#include "single_instance.h"
#include "test_support.h"
#include "updater_instance.h"

namespace {

using vemo::test::TempDir;

TEST(HeadlessCommandLine, FoundAnywhereInTheCommandLine) {
  const struct {
    const wchar_t* command_line;
    bool headless;
  } cases[] = {
      {L"headless_update=applying", true},
      {L"--from launcher headless_update=applying --quiet", true},
      {L"xheadless_update=applyingx", true},
      {L"", false},
      {L"headless_update=apply", false},
      {L"HEADLESS_UPDATE=APPLYING", false},
      {L"headless_update = applying", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.headless, is_headless_command_line(c.command_line)) << c.command_line;
}

// Another running updater: the named mutex held elsewhere (a second object
// in this process sees the name as taken exactly as another process would).
vemo::UniqueHandle hold(const std::wstring& name) {
  return vemo::UniqueHandle(CreateMutexW(nullptr, FALSE, name.c_str()));
}

TEST(UpdaterInstanceMutex, FirstHoldsTheNameSecondIsRefusedUnlessHeadless) {
  UpdaterInstanceMutex first;
  ASSERT_EQ(UpdaterInstanceCheck::kFirst, first.acquire(L"unit_refused", false));
  UpdaterInstanceMutex second;
  EXPECT_EQ(UpdaterInstanceCheck::kRefused, second.acquire(L"unit_refused", false));
  // Another name is another updater.
  UpdaterInstanceMutex other;
  EXPECT_EQ(UpdaterInstanceCheck::kFirst, other.acquire(L"unit_refused_other", false));
  first.release();
  UpdaterInstanceMutex again;
  EXPECT_EQ(UpdaterInstanceCheck::kFirst, again.acquire(L"unit_refused", false));
}

TEST(UpdaterInstanceMutex, HeadlessGivesUpWhenThePreviousUpdaterStays) {
  vemo::UniqueHandle previous = hold(L"vemosdk_updater_process_muxunit_stays");
  UpdaterInstanceMutex headless;
  EXPECT_EQ(UpdaterInstanceCheck::kGaveUp, headless.acquire(L"unit_stays", true, WaitRounds{5, 20}));
}

TEST(UpdaterInstanceMutex, HeadlessGoesOnOnceThePreviousUpdaterEnds) {
  vemo::UniqueHandle previous = hold(L"vemosdk_updater_process_muxunit_ends");
  std::thread ending([&previous] {
    Sleep(300);
    previous.reset();
  });
  UpdaterInstanceMutex headless;
  UpdaterInstanceCheck check = headless.acquire(L"unit_ends", true, WaitRounds{50, 100});
  ending.join();
  EXPECT_EQ(UpdaterInstanceCheck::kFirst, check);
  // Now this one holds the name.
  UpdaterInstanceMutex late;
  EXPECT_EQ(UpdaterInstanceCheck::kRefused, late.acquire(L"unit_ends", false));
}

TEST(WaitForLauncherExit, WaitsForTheMutexAndForTheProgramFile) {
  TempDir dir("wait launcher");
  std::string launcher_exe = dir.file("launcher.exe");
  EXPECT_TRUE(wait_for_launcher_exit(L"unit_no_launcher", launcher_exe, WaitRounds{3, 10}));

  vemo::UniqueHandle launcher = hold(launcher_mutex_name(L"unit_launcher_stays"));
  EXPECT_FALSE(wait_for_launcher_exit(L"unit_launcher_stays", launcher_exe, WaitRounds{3, 10}));

  vemo::UniqueHandle ending_launcher = hold(launcher_mutex_name(L"unit_launcher_ends"));
  std::thread ending([&ending_launcher] {
    Sleep(200);
    ending_launcher.reset();
  });
  EXPECT_TRUE(wait_for_launcher_exit(L"unit_launcher_ends", launcher_exe, WaitRounds{100, 50}));
  ending.join();

  // The mutex is gone but the program is still ending.
  ASSERT_TRUE(CopyFileA((vemo::test::test_bin_dir() + "\\child_program.exe").c_str(), launcher_exe.c_str(), FALSE));
  std::string command = "\"" + launcher_exe + "\" --sleep-ms 800";
  STARTUPINFOA startup = {sizeof(startup)};
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessA(launcher_exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  vemo::UniqueHandle process(info.hProcess), thread(info.hThread);
  EXPECT_FALSE(wait_for_launcher_exit(L"unit_no_launcher", launcher_exe, WaitRounds{2, 10}));
  EXPECT_TRUE(wait_for_launcher_exit(L"unit_no_launcher", launcher_exe, WaitRounds{200, 50}));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 0));
}

}  // namespace
