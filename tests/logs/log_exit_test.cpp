// What the file log holds when a program that logs ends: normally, through
// the SDK's exit, or killed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cjson/cJSON.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "core/logs/log_block_decoder.h"
#include "core/logs/log_json.h"
#include "core/logs/log_records.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "log_test_files.h"
#include "strict_blocks.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::file_names;
using vemo::test::run_program;
using vemo::test::TempDir;

// A program folder holding a copy of the probe.
class ProbeFolder {
public:
  explicit ProbeFolder(const std::string& name) : dir_(name) {
    CopyFileW(utf8_to_wstring(vemo::test::test_bin_dir() + "\\log_probe.exe").c_str(),
              utf8_to_wstring(probe()).c_str(), FALSE);
  }
  std::string probe() const { return dir_.file("log_probe.exe"); }
  std::string logs() const { return dir_.path() + "\\vemo\\vemosdklogv1"; }
  std::string only_log_file() const {
    std::vector<std::string> names = file_names(logs());
    EXPECT_EQ(1u, names.size());
    return names.empty() ? "" : logs() + "\\" + names[0];
  }

private:
  TempDir dir_;
};

std::string message_of(const std::string& record) {
  vemo::JsonPtr tree(cJSON_Parse(record.c_str()));
  const cJSON* message = cJSON_GetObjectItem(tree.get(), "m");
  return cJSON_IsString(message) ? message->valuestring : "<no message in " + record + ">";
}

TEST(LogAtExit, TheFacadesRecordOfAWarning) {
  ProbeFolder folder("log-exit-facade");
  ASSERT_EQ(0, run_program(folder.probe(), "facade").exit_code);
  std::vector<std::string> records = split_log_records(vemo::test::strict_log_text(folder.only_log_file()));
  ASSERT_EQ(1u, records.size());
  vemo::JsonPtr record(cJSON_Parse(records[0].c_str()));
  ASSERT_TRUE(cJSON_IsObject(record.get())) << records[0];
  EXPECT_STREQ("vemosdk", cJSON_GetObjectItem(record.get(), "e")->valuestring);
  EXPECT_STREQ("x", cJSON_GetObjectItem(record.get(), "m")->valuestring);
  EXPECT_STREQ("WAR", cJSON_GetObjectItem(record.get(), "lv")->valuestring);
  EXPECT_STREQ("n", cJSON_GetObjectItem(record.get(), "mo")->valuestring);
  EXPECT_TRUE(cJSON_IsNumber(cJSON_GetObjectItem(record.get(), "ti")));
}

TEST(LogAtExit, EveryRecordIsInTheFileAfterANormalExitAndAfterTheSdksExit) {
  for (const char* scenario : {"exit 300", "exit-process 300"}) {
    ProbeFolder folder("log-exit-records");
    ASSERT_EQ(0, run_program(folder.probe(), scenario).exit_code) << scenario;
    std::vector<std::string> records = split_log_records(vemo::test::strict_log_text(folder.only_log_file()));
    ASSERT_EQ(300u, records.size()) << scenario;
    for (int i = 0; i < 300; ++i) EXPECT_EQ("record " + std::to_string(i), message_of(records[i])) << scenario;
  }
}

TEST(LogAtExit, AKilledProgramLeavesOnlyWholeBlocksAndLosesOnlyTheOpenOne) {
  ProbeFolder folder("log-exit-killed");
  vemo::UniqueHandle process;
  ASSERT_TRUE(vemo::test::start_program_until(folder.probe(), "forever", "running", process));
  Sleep(300);  // killed in the middle of its work
  ASSERT_TRUE(TerminateProcess(process.get(), 9));
  WaitForSingleObject(process.get(), 10000);

  std::string path = folder.only_log_file();
  std::string bytes;
  ASSERT_TRUE(vemo::test::read_file(path, bytes));
  std::string text;
  LogDecodeSummary summary = decode_log_blocks(bytes, [&text](const std::string& block) { text += block; });
  // What was skipped can only be a block cut off at the end of the file.
  std::vector<vemo::test::StrictBlock> blocks;
  std::string reason;
  EXPECT_TRUE(vemo::test::read_strict_blocks(bytes.substr(0, bytes.size() - summary.skipped_bytes), blocks, reason))
      << reason;
  EXPECT_EQ(blocks.size(), summary.blocks);
  EXPECT_LT(summary.skipped_bytes, 153600u);

  std::vector<std::string> records = split_log_records(text);
  ASSERT_GT(records.size(), 1000u);
  for (size_t i = 0; i < records.size(); ++i)
    ASSERT_EQ(0u, message_of(records[i]).rfind("record " + std::to_string(i) + " ", 0)) << records[i];

  auto reader = run_program(get_program_dir() + "..\\..\\bin\\log_reader.exe", "\"" + path + "\"", true);
  EXPECT_EQ(0, reader.exit_code);
  EXPECT_NE(std::string::npos, reader.output.find(std::to_string(summary.blocks) + " blocks decoded, " +
                                                  std::to_string(summary.skipped_bytes) + " bytes skipped\n"));
}

}  // namespace
