// The _vemosdk rows of the file log, on the program's own log folder.
#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <string>

#include "core/logs/file_log_storage.h"
#include "core/logs/log_json.h"
#include "core/logs/log_records.h"
#include "strict_blocks.h"
#include "vemosdk_fixture.h"

namespace {

using vemo::logs::FileLogStorage;
using vemo::JsonPtr;

class VemosdkLog : public vemo::test::VemosdkModule {
protected:
  // The records of the current log file once everything queued is written.
  std::vector<std::string> current_records() {
    EXPECT_TRUE(FileLogStorage::getInstance().flush_and_wait(10000));
    EXPECT_EQ("", run("_vemosdk.get_current_log_file(7)"));
    vemo::JsonPtr current(cJSON_Parse(answer_for(7).c_str()));
    const cJSON* path = cJSON_GetObjectItem(current.get(), "file_path");
    if (!cJSON_IsString(path)) return {"<no current file>"};
    current_name = cJSON_GetObjectItem(current.get(), "file_name")->valuestring;
    return vemo::logs::split_log_records(vemo::test::strict_log_text(path->valuestring));
  }
  std::string current_name;
};

TEST_F(VemosdkLog, Log2WritesItsTextOnceTheScriptsSwitchTheFileLogOn) {
  EXPECT_EQ("", run("_vemosdk.open_log_with_config(nil, '{\"is_save\": true, \"level\": \"info\"}')"));
  EXPECT_EQ("", run("_vemosdk.log2('lua line', 'info', 'unused')"));
  EXPECT_EQ("", run("_vemosdk.log2('not this', 'warn', 'unused', 'alternative')"));
  EXPECT_EQ("", run("_vemosdk.open_log_with_config(nil, 'not json')"));  // changes nothing
  EXPECT_EQ("", run("_vemosdk.log2('still on', 'bogus', 'unused')"));
  EXPECT_EQ("", run("_vemosdk.flush_log()"));
  std::vector<std::string> records = current_records();
  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ((std::vector<std::string>{"lua line", "alternative", "still on"}),
            std::vector<std::string>(records.end() - 3, records.end()));

  EXPECT_EQ("", run("_vemosdk.open_log_with_config(nil, '{\"is_save\": 1}')"));  // not true: off
  EXPECT_EQ("", run("_vemosdk.log2('dropped', 'info', 'unused')"));
  EXPECT_EQ("still on", current_records().back());

  EXPECT_EQ("", run("_vemosdk.get_log_file_infos(8, '{\"date_filter\": \"not a date\"}')"));
  vemo::JsonPtr infos(cJSON_Parse(answer_for(8).c_str()));
  bool listed = false;
  cJSON* item = nullptr;
  cJSON_ArrayForEach(item, cJSON_GetObjectItem(infos.get(), "data"))
    listed |= current_name == cJSON_GetObjectItem(item, "file_name")->valuestring;
  EXPECT_TRUE(listed) << current_name;
}

TEST_F(VemosdkLog, WrongArgumentTypesRaiseArgumentErrors) {
  const std::pair<const char*, const char*> cases[] = {
      {"_vemosdk.log2()", "bad argument #1 to 'log2'"},
      {"_vemosdk.log2('t', 'info')", "bad argument #3 to 'log2'"},
      {"_vemosdk.get_current_log_file('x')", "bad argument #1 to 'get_current_log_file'"},
      {"_vemosdk.get_log_file_infos(1)", "bad argument #2 to 'get_log_file_infos'"},
      {"_vemosdk.open_log_with_config(1)", "bad argument #2 to 'open_log_with_config'"},
  };
  for (const auto& c : cases) EXPECT_NE(std::string::npos, run(c.first).find(c.second)) << c.first;
}

TEST_F(VemosdkLog, JfRowsWriteTheScriptsRecordsIntoTheirFolder) {
  EXPECT_EQ("", run("_vemosdk.init_jf_file_cache('{\"dir_name\": \"lua-jf\"}')"));
  EXPECT_EQ("", run("_vemosdk.switch_jf_sub_dir('sub')"));
  EXPECT_EQ("", run("_vemosdk.jf_log('from lua')"));
  EXPECT_EQ("", run("_vemosdk.init_jf_file_cache('{\"dir_name\": \"..\\\\escape\"}')"));  // refused
  EXPECT_EQ("", run("_vemosdk.init_jf_file_cache('not json')"));
  EXPECT_EQ("", run("_vemosdk.switch_jf_sub_dir('../escape')"));  // refused
  EXPECT_EQ("", run("_vemosdk.jf_log('still here')"));
  EXPECT_EQ("", run("_vemosdk.flush_jf_log()"));
  ASSERT_TRUE(FileLogStorage::getInstance().flush_and_wait(10000));

  EXPECT_EQ("", run("_vemosdk.get_current_jf_file_info(9)"));
  vemo::JsonPtr current(cJSON_Parse(answer_for(9).c_str()));
  const cJSON* path = cJSON_GetObjectItem(current.get(), "file_path");
  ASSERT_TRUE(cJSON_IsString(path));
  EXPECT_NE(std::string::npos, std::string(path->valuestring).find("\\vemo\\lua-jf\\sub\\"));
  std::string text = vemo::test::strict_log_text(path->valuestring);
  EXPECT_EQ("from lua\nstill here\n", text.substr(text.size() - std::min<size_t>(text.size(), 20)));

  EXPECT_EQ("", run("_vemosdk.get_jf_file_infos(10, '{}')"));
  vemo::JsonPtr infos(cJSON_Parse(answer_for(10).c_str()));
  EXPECT_GE(cJSON_GetArraySize(cJSON_GetObjectItem(infos.get(), "data")), 1);
  EXPECT_EQ("", run("_vemosdk.scroll_jf_log_file()"));

  const std::pair<const char*, const char*> cases[] = {
      {"_vemosdk.switch_jf_sub_dir()", "bad argument #1 to 'switch_jf_sub_dir'"},
      {"_vemosdk.jf_log({})", "bad argument #1 to 'jf_log'"},
      {"_vemosdk.init_jf_file_cache()", "bad argument #1 to 'init_jf_file_cache'"},
      {"_vemosdk.get_jf_file_infos('x', '{}')", "bad argument #1 to 'get_jf_file_infos'"},
  };
  for (const auto& c : cases) EXPECT_NE(std::string::npos, run(c.first).find(c.second)) << c.first;
}

}  // namespace
