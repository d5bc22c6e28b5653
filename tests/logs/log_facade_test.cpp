#include <gtest/gtest.h>

#include <windows.h>

#include <cjson/cJSON.h>

#include <memory>
#include <string>

#include "core/debug_log.h"
#include "core/logs/file_log_storage.h"
#include "core/logs/log_facade.h"
#include "core/logs/log_records.h"
#include "core/system_clock.h"
#include "core/text_convert.h"
#include "log_test_files.h"
#include "strict_blocks.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::DebugLogCapture;
using vemo::test::file_names;
using vemo::test::TempDir;

class Facade : public ::testing::Test {
protected:
  // The records of the log folder, one line each, after everything is written.
  std::vector<std::string> records() {
    EXPECT_TRUE(storage.flush_and_wait(10000));
    std::string folder = program.path() + "\\vemo\\vemosdklogv1";
    std::string text;
    for (const std::string& name : file_names(folder)) text += vemo::test::strict_log_text(folder + "\\" + name);
    return split_log_records(text);
  }
  static std::string member_names(const std::string& record) {
    vemo::JsonPtr tree(cJSON_Parse(record.c_str()));
    std::string names;
    cJSON* member = nullptr;
    cJSON_ArrayForEach(member, tree.get()) names += std::string(names.empty() ? "" : ",") + member->string;
    return names;
  }

  TempDir program{"log-facade"};
  FileLogStorage storage{make_log_config(utf8_to_wstring(program.path()))};
  VemoLogFacade facade{storage};
};

TEST_F(Facade, EntriesAreDebugLinesAndRecordsOnlyWithTheFileSwitchOn) {
  DebugLogCapture log;
  EXPECT_EQ(1, facade.commit(kLevelInfo, "vemosdk", "x", nullptr, nullptr, nullptr, nullptr));
  EXPECT_TRUE(records().empty());
  EXPECT_EQ((std::vector<std::string>{"INF:x"}), log.lines());

  facade.configure(0, 1, "info");
  std::int64_t before = system_clock_ms();
  EXPECT_EQ(1, facade.commit(kLevelWarn, "vemosdk", "x", nullptr, nullptr, nullptr, nullptr));
  std::int64_t after = system_clock_ms();
  std::vector<std::string> written = records();
  ASSERT_EQ(1u, written.size());
  vemo::JsonPtr record(cJSON_Parse(written[0].c_str()));
  EXPECT_EQ("e,m,ti,mo,lv", member_names(written[0]));
  EXPECT_STREQ("vemosdk", cJSON_GetObjectItem(record.get(), "e")->valuestring);
  EXPECT_STREQ("x", cJSON_GetObjectItem(record.get(), "m")->valuestring);
  EXPECT_STREQ("n", cJSON_GetObjectItem(record.get(), "mo")->valuestring);
  EXPECT_STREQ("WAR", cJSON_GetObjectItem(record.get(), "lv")->valuestring);
  double time = cJSON_GetObjectItem(record.get(), "ti")->valuedouble;
  EXPECT_LE(static_cast<double>(before), time);
  EXPECT_GE(static_cast<double>(after), time);
}

TEST_F(Facade, TagsAndArgumentsAreKeptOnlyWhenTheyAreJson) {
  facade.configure(0, 1, "debug");
  struct Case {
    const char* tags;
    const char* args;
    const char* extra;
    const char* members;
  } cases[] = {
      {"not json", "[1,", nullptr, "e,m,ti,mo,lv"},
      {"{}", "[1,2]", "raw {", "e,m,ti,mo,tags,args,ext,lv"},
      {nullptr, "\"text\"", "", "e,m,ti,mo,args,ext,lv"},
  };
  for (const Case& c : cases) facade.commit(kLevelDebug, "mod", "m", "module", c.tags, c.args, c.extra);
  std::vector<std::string> written = records();
  ASSERT_EQ(3u, written.size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(cases[i].members, member_names(written[i])) << i;
  EXPECT_NE(std::string::npos, written[1].find(R"("tags":{},"args":[1,2],"ext":"raw {","lv":"DBG")"));
  EXPECT_NE(std::string::npos, written[0].find(R"("mo":"module")"));
}

TEST_F(Facade, EventsAreRecordedWhateverTheFileSwitch) {
  DebugLogCapture log;
  facade.commit_event(nullptr, "{}", "m", "{}");
  facade.commit_event("start", "{\"a\":1}", "m", "not json");
  facade.commit_event("bare", nullptr, nullptr, nullptr);
  EXPECT_EQ((std::vector<std::string>{R"(E{"e":"start","labels":{"a":1},"msg":"m"})", R"(E{"e":"bare"})"}),
            records());
  EXPECT_EQ((std::vector<std::string>{"commitEvent: start", "commitEvent: bare"}), log.lines());
}

TEST_F(Facade, LevelNamesAreExactAndSwitchTheDebugLog) {
  const std::pair<const char*, int> cases[] = {
      {"debug", 4}, {"DEBUG", 4}, {"none", 0}, {"info", 3}, {nullptr, 3}, {"warn", 2}, {"Warn", 2}, {"error", 1},
  };
  for (const auto& c : cases) {
    facade.configure(1, 0, c.first);
    EXPECT_EQ(c.second, facade.level()) << (c.first ? c.first : "null");
  }
  EXPECT_EQ(1, vemo_debug_enabled());
  facade.configure(0, 0, "none");
  EXPECT_EQ(0, vemo_debug_enabled());
}

TEST_F(Facade, LevelledTextsAreEchoedUnderTheirTagAndWrittenAsPlainText) {
  DebugLogCapture log;
  facade.log_with_level("first", "warn", nullptr);  // the file switch is off: no record
  facade.configure(1, 1, "info");
  facade.log_with_level("second", "none", "");
  facade.log_with_level("third", "loud", "instead");
  EXPECT_EQ((std::vector<std::string>{"second", "instead"}), records());
  EXPECT_EQ((std::vector<std::string>{"WAR:first", "NON:second"}), log.lines());
}

TEST(LogExports, AreExportedUnderTheirNames) {
  const char* const names[] = {
      "vemosdk_log_d",        "vemosdk_log_i",        "vemosdk_log_w",           "vemosdk_log_e",
      "vemosdk_log_commit_d", "vemosdk_log_commit_i", "vemosdk_log_commit_w",    "vemosdk_log_commit_e",
      "vemosdk_log_commit_event", "vemosdk_open_log_with_config", "Vemo_registerDebugCallback",
      "vemosdk_register_log_callback",
  };
  for (const char* name : names)
    EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), name))) << name;
}

}  // namespace
