// The _vemosdk process functions: starting, watching and ending helper
// programs, and a program handing itself over to a new copy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "test_support.h"
#include "vemosdk_fixture.h"

namespace {

using testing::HasSubstr;
using vemo::test::TempDir;

std::string child() { return vemo::test::test_bin_dir() + "\\child_program.exe"; }

class ProcessFunctions : public vemo::test::VemosdkModule {
protected:
  // Polls is_process_running on the global `p` until it reads false; true
  // when it did within 20 s.
  bool ends_within_a_while() {
    for (int i = 0; i < 400; ++i) {
      if (run("return _vemosdk.is_process_running(p)") == "false") return true;
      Sleep(50);
    }
    return false;
  }

  TempDir dir{"lua-process"};
};

bool wait_for_report(const std::string& path, std::string& content) {
  for (int i = 0; i < 400; ++i) {
    if (vemo::test::read_file(path, content) && content.find("args=") != std::string::npos) return true;
    Sleep(50);
  }
  return false;
}

TEST_F(ProcessFunctions, MissingProgramGivesNilTheSystemCodeAndAMessage) {
  EXPECT_EQ("nil,2.0,launch process failed", run("return _vemosdk.launch_process('C:\\\\no\\\\such\\\\program.exe -x')"));
}

TEST_F(ProcessFunctions, QuotedPathWithBlanksStartsInItsOwnFolder) {
  std::string folder = dir.file("game folder");
  CreateDirectoryW(utf8_to_wstring(folder).c_str(), nullptr);
  std::string exe = folder + "\\game.exe";
  ASSERT_TRUE(CopyFileW(utf8_to_wstring(child()).c_str(), utf8_to_wstring(exe).c_str(), FALSE));
  std::string report = dir.file("report.txt");
  // An argument holding a backslash must not decide the working folder.
  std::string command = "\"" + exe + "\" --report \"" + report + "\" C:\\other\\place";

  EXPECT_EQ("userdata", run("p = _vemosdk.launch_process(" + quoted(command) + ") return type(p)"));
  std::string content;
  ASSERT_TRUE(wait_for_report(report, content));
  EXPECT_THAT(content, HasSubstr("cwd=" + folder + "\n"));
  EXPECT_THAT(content, HasSubstr("args=C:\\other\\place\n"));
  EXPECT_TRUE(ends_within_a_while());
}

TEST_F(ProcessFunctions, ProgramEndingWithCode259IsNotRunning) {
  // 259 is STILL_ACTIVE: reading the exit code alone would call it running forever.
  ASSERT_EQ("userdata", run("p = _vemosdk.launch_process(" + quoted(child() + " --exit-code 259") + ") return type(p)"));
  EXPECT_TRUE(ends_within_a_while());
  // Its handles are closed now; asking again is still false.
  EXPECT_EQ("false", run("return _vemosdk.is_process_running(p)"));
}

TEST_F(ProcessFunctions, RunningUntilKilled) {
  ASSERT_EQ("userdata",
            run("p = _vemosdk.launch_process(" + quoted(child() + " --sleep-ms 60000") + ") return type(p)"));
  EXPECT_EQ("true", run("return _vemosdk.is_process_running(p)"));
  EXPECT_EQ("true,0.0,nil", run("return _vemosdk.kill_process(p)"));
  EXPECT_TRUE(ends_within_a_while());
}

TEST_F(ProcessFunctions, NilHandlesAnswerFalseAndOtherValuesAreArgumentErrors) {
  EXPECT_EQ("false,false", run("return _vemosdk.is_process_running(nil), _vemosdk.kill_process()"));
  EXPECT_THAT(run("return _vemosdk.is_process_running('p')"),
              HasSubstr("bad argument #1 to 'is_process_running' (vemosdk.process expected, got string)"));
  EXPECT_THAT(run("return _vemosdk.kill_process(io.stdout)"),
              HasSubstr("bad argument #1 to 'kill_process' (vemosdk.process expected, got FILE*)"));
}

TEST_F(ProcessFunctions, CollectedHandlesAreClosed) {
  DWORD before = 0, after = 0;
  run("collectgarbage()");
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &before));
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ("userdata", run("return type(_vemosdk.launch_process(" + quoted(child()) + "))"));
  run("collectgarbage() collectgarbage()");
  ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &after));
  EXPECT_EQ(before, after);
}

// The probe program holds a single-instance mutex and hands itself over.
class HandOver : public ::testing::Test {
protected:
  // Starts the probe and waits for it; its exit code.
  DWORD run_probe(const std::string& arguments) {
    std::wstring command = L"\"" + utf8_to_wstring(probe) + L"\" \"" + utf8_to_wstring(report) + L"\" " +
                           utf8_to_wstring(mutex) + L" " + utf8_to_wstring(arguments);
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return static_cast<DWORD>(-1);
    vemo::UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(process.get(), &code);
    return code;
  }

  // The report once it has the given number of lines (waiting up to 20 s).
  std::string report_with_lines(int lines) {
    std::string content;
    for (int i = 0; i < 400; ++i) {
      vemo::test::read_file(report, content);
      if (std::count(content.begin(), content.end(), '\n') >= lines) break;
      Sleep(50);
    }
    return content;
  }

  TempDir dir{"lua-hand-over"};
  std::string probe = vemo::test::test_bin_dir() + "\\sdk_process_probe.exe";
  std::string report = dir.file("report.txt");
  // A name per test: copies of an earlier test may still be ending.
  std::string mutex = "vemo-hand-over-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                      testing::UnitTest::GetInstance()->current_test_info()->name();
};

TEST_F(HandOver, RestartSelfStartsACopyThatIsNotASecondInstance) {
  EXPECT_EQ(0u, run_probe("restart"));
  EXPECT_EQ("start second=0\nstart second=0\n", report_with_lines(2));
}

TEST_F(HandOver, LaunchProcessKillSelfReleasesTheLockBeforeTheProgramRuns) {
  std::string command = "\\\"" + probe + "\\\" \\\"" + report + "\\\" " + mutex + " plain";
  EXPECT_EQ(0u, run_probe("hand-over \"" + command + "\""));
  EXPECT_EQ("start second=0\nstart second=0\n", report_with_lines(2));
}

TEST_F(HandOver, LaunchProcessKillSelfOfAMissingProgramReturnsAndKeepsRunning) {
  EXPECT_EQ(3u, run_probe("hand-over C:\\no\\such\\program.exe"));
  EXPECT_EQ("start second=0\nfalse,2.0,launch process failed\n", report_with_lines(2));
}

TEST_F(HandOver, ExitEndsAtOnceWithCodeZero) {
  EXPECT_EQ(0u, run_probe("exit"));
  EXPECT_EQ("start second=0\n", report_with_lines(1));
}

}  // namespace
