#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "process_launch.h"
#include "test_support.h"

namespace {

using vemo::test::TempDir;

std::string child() { return vemo::test::test_bin_dir() + "\\child_program.exe"; }

bool wait_for_file(const std::string& path, std::string& content) {
  for (int i = 0; i < 200; ++i) {
    if (vemo::test::read_file(path, content) && content.find("args=") != std::string::npos) return true;
    Sleep(50);
  }
  return false;
}

TEST(LaunchProcess, BlanksOnlyIsAnInvalidParameter) {
  LaunchResult result = launch_process("   ");
  EXPECT_FALSE(result.started);
  EXPECT_EQ(87u, result.error);
}

TEST(LaunchProcess, MissingProgramReportsTheShellErrorAndLogsItsWholePath) {
  const char* programs[] = {"C:\\no\\such\\program.exe", "C:\\no\\\xe6\xb8\xb8\xe6\x88\x8f\\program.exe"};
  for (const char* program : programs) {
    SCOPED_TRACE(program);
    vemo::test::DebugLogCapture log;
    LaunchResult result = launch_process(std::string(program) + " -x");
    EXPECT_FALSE(result.started);
    EXPECT_NE(0u, result.error);
    EXPECT_THAT(log.lines(), testing::Contains("ShellExecuteExW failed, err=" + std::to_string(result.error) +
                                               ", file=" + program + "\n"));
  }
}

// Texts past the bound never reach the shell; one at the bound still starts.
TEST(LaunchProcess, OverlongCommandsAreRefusedBeforeTheShellAndTheBoundStillStarts) {
  TempDir dir("launch long");
  std::string report = dir.file("report.txt");
  std::string head = child() + " --report \"" + report + "\" -";
  std::string at_bound = head + std::string(kMaxLaunchCommand - head.size(), 'a');
  LaunchResult started = launch_process(at_bound);
  ASSERT_TRUE(started.started) << started.error;
  std::string content;
  EXPECT_TRUE(wait_for_file(report, content));

  const std::string overlong[] = {at_bound + "a", child() + " " + std::string(984, 'x'),
                                  child() + " " + std::string(100000, 'x'),
                                  "C:\\" + std::string(MAX_PATH, 'p') + ".exe -x"};
  for (const std::string& command : overlong) {
    SCOPED_TRACE(command.size());
    vemo::test::DebugLogCapture log;
    LaunchResult result = launch_process(command);
    EXPECT_FALSE(result.started);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), result.error);
    EXPECT_THAT(log.lines(), testing::Contains(testing::HasSubstr("launch_process refused")));
  }
}

TEST(LaunchProcess, QuotedPathWithBlanksStartsInItsOwnFolderWithItsArguments) {
  TempDir dir("launch quoted");
  std::string folder = dir.file("game folder");
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string exe = folder + "\\game.exe";
  ASSERT_TRUE(CopyFileA(child().c_str(), exe.c_str(), FALSE));
  std::string report = dir.file("report.txt");

  LaunchResult result = launch_process("\"" + exe + "\" --report \"" + report + "\" -a -b");
  ASSERT_TRUE(result.started) << result.error;
  std::string content;
  ASSERT_TRUE(wait_for_file(report, content));
  EXPECT_NE(std::string::npos, content.find("cwd=" + folder + "\n")) << content;
  EXPECT_NE(std::string::npos, content.find("args=-a -b\n")) << content;
}

TEST(LaunchProcess, GameRunsUntilItExitsAndIsThenForgotten) {
  EXPECT_FALSE(is_game_running());
  LaunchResult result = launch_process(child() + " --sleep-ms 1500");
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_TRUE(is_game_running());
  bool ended = false;
  for (int i = 0; i < 200 && !ended; ++i) {
    Sleep(50);
    ended = !is_game_running();
  }
  EXPECT_TRUE(ended);
  EXPECT_FALSE(is_game_running());
}

TEST(LaunchProcess, ExitCode259DoesNotReadAsRunning) {
  // STILL_ACTIVE as an exit code must not be mistaken for a live process.
  LaunchResult result = launch_process(child() + " --exit-code 259");
  ASSERT_TRUE(result.started) << result.error;
  bool ended = false;
  for (int i = 0; i < 200 && !ended; ++i) {
    Sleep(50);
    ended = !is_game_running();
  }
  EXPECT_TRUE(ended);
}

TEST(LaunchProcess, SecondStartReplacesTheKeptProcess) {
  ASSERT_TRUE(launch_process(child() + " --sleep-ms 3000").started);
  ASSERT_TRUE(launch_process(child() + " --sleep-ms 200").started);
  // Only the second one is watched: it ends long before the first.
  bool ended = false;
  for (int i = 0; i < 40 && !ended; ++i) {
    Sleep(50);
    ended = !is_game_running();
  }
  EXPECT_TRUE(ended);
}

}  // namespace
