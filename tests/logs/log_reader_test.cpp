#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <string>

#include "child_process.h"
#include "core/logs/vemolog.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::run_program;
using vemo::test::TempDir;

std::string reader() { return get_program_dir() + "..\\..\\bin\\log_reader.exe"; }

// A record as the file log writes a JSON record: formatted over several lines.
std::string formatted(const char* json) {
  vemo::JsonPtr tree(cJSON_Parse(json));
  vemo::MallocPtr<char> text(cJSON_Print(tree.get()));
  return text.get();
}

TEST(LogReader, PrintsOneRecordPerLineAndSaysWhatItSkipped) {
  TempDir dir("log-reader");
  VemoLog log;
  ASSERT_EQ(kInitReady, vemolog_init(log, utf8_to_wstring(dir.path()), 0));
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"1715000000000"));
  const std::string records[] = {
      formatted(R"({"e":"vemosdk","m":"two\nlines","ti":1715000000123,"mo":"n","lv":"INF"})"),
      "E" + formatted(R"({"e":"start","labels":{"a":[1,2]},"msg":"m"})"),
      "plain text",
      "{not json",
  };
  for (const std::string& record : records) ASSERT_EQ(kWriteDone, cvemolog_write(log, record));
  ASSERT_EQ(kFlushDone, vemolog_flush(log));
  std::string path = dir.file("1715000000000");
  std::string bytes;
  ASSERT_TRUE(vemo::test::read_file(path, bytes));
  ASSERT_TRUE(vemo::test::write_file(path, bytes + "cut-off!!"));  // what a killed program may leave

  auto lines = run_program(reader(), "\"" + path + "\"", true);
  EXPECT_EQ(0, lines.exit_code);
  EXPECT_EQ(R"({"e":"vemosdk","m":"two\nlines","ti":1715000000123,"mo":"n","lv":"INF"})" "\n"
            R"(E{"e":"start","labels":{"a":[1,2]},"msg":"m"})" "\n"
            "plain text\n{not json\n2 blocks decoded, 9 bytes skipped\n",
            lines.output);

  auto raw = run_program(reader(), "\"" + path + "\" --raw");
  EXPECT_EQ(0, raw.exit_code);
  std::string expected;
  for (const std::string& record : records) expected += record + "\n";
  std::string without_cr;
  for (char c : expected)
    if (c != '\r') without_cr += c;
  EXPECT_EQ(without_cr, raw.output);
}

TEST(LogReader, RefusesBadUsageAndUnreadableFiles) {
  TempDir dir("log-reader-bad");
  EXPECT_EQ(1, run_program(reader(), "").exit_code);
  EXPECT_EQ(1, run_program(reader(), "a --cooked").exit_code);
  EXPECT_EQ(2, run_program(reader(), "\"" + dir.file("missing") + "\"").exit_code);
}

}  // namespace
