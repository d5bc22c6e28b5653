#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "core/logs/file_log_storage.h"
#include "core/logs/log_json.h"
#include "core/system_clock.h"
#include "core/text_convert.h"
#include "log_test_files.h"
#include "strict_blocks.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::file_names;
using vemo::test::lines_of;
using vemo::test::make_log_files;
using vemo::test::strict_log_text;
using vemo::test::TempDir;

vemo::JsonPtr parse(const std::string& text) { return vemo::JsonPtr(cJSON_Parse(text.c_str())); }

class FileLog : public ::testing::Test {
protected:
  void start(FileLogStorage::Clock clock = nullptr) { storage = std::make_unique<FileLogStorage>(config, clock); }
  std::string folder() const { return program.path() + "\\vemo\\vemosdklogv1"; }
  std::string only_file() {
    std::vector<std::string> names = file_names(folder());
    EXPECT_EQ(1u, names.size());
    return names.empty() ? "" : folder() + "\\" + names[0];
  }

  TempDir program{"file-log"};
  VemoLogConfig config = make_log_config(utf8_to_wstring(program.path()));
  std::unique_ptr<FileLogStorage> storage;
};

TEST_F(FileLog, RecordsOfADayGoToOneFileNamedByItsTimeAlsoAfterARestart) {
  start();
  EXPECT_EQ("{\n}", storage->get_current_log_file());  // printed as cJSON_Print prints it
  std::int64_t before = system_clock_ms();
  EXPECT_EQ(1, storage->commit_text_record("one", nullptr));
  EXPECT_EQ(1, storage->commit_text_record("not this", "two"));
  EXPECT_EQ(0, storage->commit_text_record(nullptr, ""));
  EXPECT_EQ(0, storage->commit_text_record("", nullptr));
  ASSERT_TRUE(storage->flush_and_wait(10000));
  std::int64_t after = system_clock_ms();

  std::vector<std::string> names = file_names(folder());
  ASSERT_EQ(1u, names.size());
  std::int64_t named = std::stoll(names[0]);
  EXPECT_LE(before, named);
  EXPECT_GE(after, named);
  EXPECT_EQ("one\ntwo\n", strict_log_text(folder() + "\\" + names[0]));
  vemo::JsonPtr current = parse(storage->get_current_log_file());
  EXPECT_STREQ(names[0].c_str(), cJSON_GetObjectItem(current.get(), "file_name")->valuestring);
  EXPECT_EQ(folder() + "\\" + names[0], cJSON_GetObjectItem(current.get(), "file_path")->valuestring);
  std::string bytes;
  vemo::test::read_file(folder() + "\\" + names[0], bytes);
  EXPECT_EQ(static_cast<double>(bytes.size()), cJSON_GetObjectItem(current.get(), "sizes")->valuedouble);

  start();  // the program starts again on the same day
  storage->commit_text_record("three", nullptr);
  ASSERT_TRUE(storage->flush_and_wait(10000));
  EXPECT_EQ(names, file_names(folder()));
  EXPECT_EQ("one\ntwo\nthree\n", strict_log_text(only_file()));
  EXPECT_EQ(0, storage->lost_records());
}

TEST_F(FileLog, JsonRecordsArePrintedBehindTheirPrefix) {
  start();
  EXPECT_EQ(0, storage->commit_json_record(nullptr, "E"));
  EXPECT_EQ(1, storage->commit_json_record(parse(R"({"e":"start","stats":{"n":1}})"), "E"));
  EXPECT_EQ(1, storage->commit_json_record(parse(R"({"e":"vemosdk","m":"x"})"), ""));
  ASSERT_TRUE(storage->flush_and_wait(10000));
  vemo::JsonPtr first = parse(R"({"e":"start","stats":{"n":1}})");
  vemo::JsonPtr second = parse(R"({"e":"vemosdk","m":"x"})");
  EXPECT_EQ("E" + print_json_formatted(first.get()) + "\n" + print_json_formatted(second.get()) + "\n",
            strict_log_text(only_file()));
}

TEST_F(FileLog, AHundredLogFilesTakeARecordAndAHundredAndOneDoNot) {
  for (int present : {100, 101}) {
    TempDir dir("file-log-cap-" + std::to_string(present));
    VemoLogConfig capped = make_log_config(utf8_to_wstring(dir.path()));
    std::string logs = dir.path() + "\\vemo\\vemosdklogv1";
    std::int64_t now = system_clock_ms();
    std::vector<std::int64_t> times;
    for (int i = 1; i <= present; ++i) times.push_back(now - 1000 * i);
    make_log_files(logs, times);
    vemo::test::DebugLogCapture log;
    {
      FileLogStorage capped_storage(capped);
      capped_storage.commit_text_record("r", nullptr);
      ASSERT_TRUE(capped_storage.flush_and_wait(10000));
      EXPECT_EQ(present == 101 ? 1 : 0, capped_storage.lost_records()) << present;
    }
    EXPECT_EQ(static_cast<size_t>(present), file_names(logs).size());
    std::string newest = logs + "\\" + std::to_string(now - 1000);
    EXPECT_EQ(present == 101 ? "" : "r\n", strict_log_text(newest)) << present;
    bool reported = false;
    for (const std::string& line : log.lines())
      reported |= line.find("101 log files") != std::string::npos && line.find("not written") != std::string::npos;
    EXPECT_EQ(present == 101, reported) << present;
  }
}

TEST_F(FileLog, AWriterHeldByAListenerLosesNoneOf600Records) {
  start();
  vemo::test::WriterGate gate;
  gate.hold(*storage, kJfWrite);
  std::atomic<int> queued{0};
  std::thread producer([&] {
    for (int i = 0; i < 600; ++i) queued += storage->commit_text_record(("r" + std::to_string(i)).c_str(), nullptr);
  });
  Sleep(300);  // the producer fills the queue and waits for room
  gate.release();
  producer.join();
  ASSERT_TRUE(storage->flush_and_wait(10000));
  EXPECT_EQ(600, queued.load());
  EXPECT_EQ(0, storage->lost_records());
  std::vector<std::string> lines = lines_of(strict_log_text(only_file()));
  ASSERT_EQ(600u, lines.size());
  for (int i = 0; i < 600; ++i) EXPECT_EQ("r" + std::to_string(i), lines[i]);
}

TEST_F(FileLog, AWriterThatStaysStuckDropsRecordsPastTheLimitButNotItsFlush) {
  start();
  vemo::test::WriterGate gate;
  gate.hold(*storage, kJfWrite);
  int queued = 0;
  for (int i = 0; i < 500; ++i) queued += storage->commit_text_record("kept", nullptr);
  EXPECT_EQ(500, queued);
  EXPECT_EQ(0, storage->commit_text_record("waits for room, then is lost", nullptr));
  EXPECT_EQ(0, storage->commit_text_record("lost at once", nullptr));
  EXPECT_EQ(2, storage->lost_records());
  storage->queue_flush();
  gate.release();
  ASSERT_TRUE(storage->flush_and_wait(10000));
  EXPECT_EQ(500u, lines_of(strict_log_text(only_file())).size());
}

TEST_F(FileLog, AFullFileGoesOnInTheNextFileAndNothingIsLost) {
  config.max_file_size = 4096;
  start();
  std::mt19937 random(7);
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    std::string record(1000, ' ');
    for (char& c : record) c = static_cast<char>('a' + random() % 26);
    storage->commit_text_record(record.c_str(), nullptr);
    expected += record + "\n";
  }
  ASSERT_TRUE(storage->flush_and_wait(10000));
  std::vector<std::string> names = file_names(folder());
  EXPECT_GT(names.size(), 2u);
  std::string text;
  for (const std::string& name : names) text += strict_log_text(folder() + "\\" + name);
  EXPECT_EQ(expected, text);
  EXPECT_EQ(0, storage->lost_records());
}

TEST_F(FileLog, ALogFolderThatCannotBeMadeLosesRecordsAndSaysSo) {
  ASSERT_TRUE(vemo::test::write_file(program.file("vemo"), "a file where the folder would be"));
  start();
  EXPECT_EQ(1, storage->commit_text_record("r", nullptr));
  ASSERT_TRUE(storage->flush_and_wait(10000));
  EXPECT_EQ(1, storage->lost_records());
}

TEST_F(FileLog, FileInfosListTheLogFilesOfADateFilter) {
  start();
  EXPECT_EQ(nullptr, cJSON_GetObjectItem(parse(storage->get_log_file_infos(nullptr)).get(), "data"));
  make_log_files(folder(), {1714521599999, 1714521600000, 1714608000000, 1714608000001, 0});
  ASSERT_TRUE(vemo::test::write_file(folder() + "\\1714521600000", "12345"));
  ASSERT_TRUE(vemo::test::write_file(folder() + "\\123.log", "not a log file"));
  ASSERT_TRUE(vemo::test::write_file(folder() + "\\abc", "not a log file"));
  CreateDirectoryW(utf8_to_wstring(folder() + "\\1714521600001").c_str(), nullptr);

  const std::string all = "0,1714521599999,1714521600000,1714608000000,1714608000001";
  const std::pair<const char*, std::string> cases[] = {
      {R"({"date_filter":"2024-05-01"})", "1714521600000,1714608000000"},
      {R"({"date_filter":"2024-5-1"})", all},
      {R"({"date_filter":"2024-05-01x"})", all},
      {R"({"date_filter":"2024-13-01"})", all},
      {R"({"date_filter":20240501})", all},
      {"{}", all},
  };
  for (const auto& c : cases) {
    vemo::JsonPtr query = parse(c.first);
    vemo::JsonPtr infos = parse(storage->get_log_file_infos(query.get()));
    std::vector<std::string> names;
    cJSON* item = nullptr;
    cJSON_ArrayForEach(item, cJSON_GetObjectItem(infos.get(), "data")) {
      std::string name = cJSON_GetObjectItem(item, "file_name")->valuestring;
      EXPECT_EQ(folder() + "\\" + name, cJSON_GetObjectItem(item, "file_path")->valuestring);
      EXPECT_EQ(name == "1714521600000" ? 5.0 : 0.0, cJSON_GetObjectItem(item, "sizes")->valuedouble);
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
    EXPECT_EQ(c.second, joined) << c.first;
  }
}

}  // namespace
