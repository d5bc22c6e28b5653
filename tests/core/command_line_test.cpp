#include <gtest/gtest.h>

#include "core/command_line.h"

namespace {

struct SplitCase {
  const wchar_t* command;
  const wchar_t* path;
  const wchar_t* arguments;
};

class SplitCommandLine : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, SplitsPathAndArguments) {
  const SplitCase& c = GetParam();
  std::wstring path = L"stale", arguments = L"stale";
  split_command_line(c.command, path, arguments);
  EXPECT_EQ(c.path, path);
  EXPECT_EQ(c.arguments, arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLine,
    testing::Values(
        SplitCase{L"\"C:\\Program Files\\My Game\\game.exe\" -a -b", L"C:\\Program Files\\My Game\\game.exe", L"-a -b"},
        SplitCase{L"  \"C:\\x y\\g.exe\"\t\t-w", L"C:\\x y\\g.exe", L"-w"},
        SplitCase{L"C:\\games\\run.exe.bak.exe -x", L"C:\\games\\run.exe.bak.exe", L"-x"},
        SplitCase{L"C:\\games\\RUN.EXE  a  b ", L"C:\\games\\RUN.EXE", L"a  b "},
        SplitCase{L"C:\\games\\game.exe", L"C:\\games\\game.exe", L""},
        SplitCase{L"C:\\tools\\script.bat -x", L"C:\\tools\\script.bat -x", L""},
        SplitCase{L"\"C:\\unterminated\\game.exe -x", L"", L""},
        SplitCase{L"   \t ", L"", L""},
        SplitCase{L"", L"", L""}));

TEST(ProgramFolder, IsTheAbsoluteFolderOfTheProgramPath) {
  const struct {
    const wchar_t* path;
    const wchar_t* folder;
  } cases[] = {
      {L"C:\\Program Files\\My Game\\game.exe", L"C:\\Program Files\\My Game"},
      {L"C:/games/bin/game.exe", L"C:\\games\\bin"},
      {L"C:\\game.exe", L"C:\\"},
      {L"C:\\games\\..\\tools\\t.exe", L"C:\\tools"},
      {L"game.exe", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.path);
    EXPECT_EQ(c.folder, program_folder(c.path));
  }
}

}  // namespace
