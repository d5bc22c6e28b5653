#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <memory>
#include <string>

#include "core/logs/file_log_storage.h"
#include "core/logs/jf_file_storage.h"
#include "core/logs/log_json.h"
#include "core/text_convert.h"
#include "log_test_files.h"
#include "strict_blocks.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::file_names;
using vemo::test::lines_of;
using vemo::test::strict_log_text;
using vemo::test::TempDir;

class JfStore : public ::testing::Test {
protected:
  ~JfStore() override {
    storage.reset();  // the writer thread ends while the store's listeners are still there
    store.reset();
  }
  // Everything queued so far is written out.
  void settle() { ASSERT_TRUE(storage->flush_and_wait(10000)); }
  std::string vemo_folder(const std::string& relative) const { return program.path() + "\\vemo\\" + relative; }
  std::string only_file(const std::string& relative) {
    std::vector<std::string> names = file_names(vemo_folder(relative));
    EXPECT_EQ(1u, names.size()) << relative;
    return names.empty() ? "" : vemo_folder(relative) + "\\" + names[0];
  }

  TempDir root{"jf-store"};
  TempDir program{"jf-store\\program"};
  std::unique_ptr<FileLogStorage> storage =
      std::make_unique<FileLogStorage>(make_log_config(utf8_to_wstring(program.path())));
  std::unique_ptr<JFFileStorage> store = std::make_unique<JFFileStorage>(*storage);
};

TEST_F(JfStore, RecordsGoToTheSubFolderInAFileNamedByTheFirstRecordsTime) {
  ASSERT_TRUE(store->init(L"a"));
  ASSERT_TRUE(store->switch_sub_dir(L"b"));
  store->log("r1");
  store->flush();
  settle();
  std::vector<std::string> names = file_names(vemo_folder("a\\b"));
  ASSERT_EQ(1u, names.size());
  EXPECT_EQ(13u, names[0].size());
  EXPECT_EQ(std::string::npos, names[0].find_first_not_of("0123456789"));
  EXPECT_EQ("r1\n", strict_log_text(vemo_folder("a\\b\\" + names[0])));

  vemo::JsonPtr current(cJSON_Parse(store->current_file_info().c_str()));
  EXPECT_STREQ(names[0].c_str(), cJSON_GetObjectItem(current.get(), "file_name")->valuestring);
  vemo::JsonPtr infos(cJSON_Parse(store->file_infos(nullptr).c_str()));
  EXPECT_EQ(1, cJSON_GetArraySize(cJSON_GetObjectItem(infos.get(), "data")));
}

TEST_F(JfStore, AFolderSwitchedBackToContinuesItsFile) {
  ASSERT_TRUE(store->init(L"a"));
  store->switch_sub_dir(L"b");
  store->log("b1");
  store->switch_sub_dir(L"c");
  store->log("c1");
  store->switch_sub_dir(L"b");
  store->log("b2");
  store->flush();
  settle();
  EXPECT_EQ("b1\nb2\n", strict_log_text(only_file("a\\b")));
  EXPECT_EQ("c1\n", strict_log_text(only_file("a\\c")));
}

TEST_F(JfStore, EmptyRecordsAndRecordsBeforeSetUpQueueNothing) {
  store->log("before set-up");
  store->switch_sub_dir(L"b");
  store->flush();
  settle();
  EXPECT_TRUE(file_names(program.path() + "\\vemo").empty());
  ASSERT_TRUE(store->init(L"a"));
  store->log("");
  store->log(nullptr);
  store->flush();
  settle();
  EXPECT_TRUE(file_names(vemo_folder("a")).empty());
}

TEST_F(JfStore, AFlushIntoAFolderNeverWrittenOpensNoFile) {
  ASSERT_TRUE(store->init(L"a"));
  store->switch_sub_dir(L"never");
  store->flush();
  settle();
  EXPECT_TRUE(file_names(vemo_folder("a\\never")).empty());
  EXPECT_TRUE(file_names(vemo_folder("a")).empty());
}

TEST_F(JfStore, NamesThatLeaveTheirFolderAreRefusedAndTouchNothing) {
  // Old log files where hostile names would lead: each would be cleaned away.
  vemo::test::make_log_files(root.path() + "\\v", {1000});
  vemo::test::make_log_files(program.path(), {1000});
  vemo::test::make_log_files(vemo_folder("a"), {1000});
  const wchar_t* const hostile[] = {L"..\\..\\v", L"..", L".", L"..\\v", L"a/..", L"c:\\v", L"x:y", L"...",
                                    L".. ", L"a\\b", L"*", L"tab\t"};
  for (const wchar_t* name : hostile) {
    EXPECT_FALSE(store->init(name)) << wstring_to_utf8(name);
    store->log("after a refused set-up");
  }
  ASSERT_TRUE(store->init(L"safe"));
  for (const wchar_t* name : hostile) EXPECT_FALSE(store->switch_sub_dir(name)) << wstring_to_utf8(name);
  store->log("kept");
  store->flush();
  settle();
  for (const std::string& sentinel : {root.path() + "\\v\\1000", program.path() + "\\1000", vemo_folder("a\\1000")}) {
    std::string bytes;
    EXPECT_TRUE(vemo::test::read_file(sentinel, bytes)) << sentinel;
  }
  EXPECT_EQ("kept\n", strict_log_text(only_file("safe")));
}

TEST_F(JfStore, RecordsQueuedWhileTheWriterIsBusyAreAllKept) {
  ASSERT_TRUE(store->init(L"busy"));
  vemo::test::WriterGate gate;
  gate.hold(*storage, kLogRoll);
  for (int i = 0; i < 600; ++i) store->log(("r" + std::to_string(i)).c_str());
  gate.release();
  store->flush();
  settle();
  std::vector<std::string> lines = lines_of(strict_log_text(only_file("busy")));
  ASSERT_EQ(600u, lines.size());
  EXPECT_EQ("r599", lines.back());
}

TEST_F(JfStore, ASecondSetUpMovesTheStore) {
  ASSERT_TRUE(store->init(L"first"));
  store->log("one");
  ASSERT_TRUE(store->init(L"second"));
  store->log("two");
  store->scroll();
  store->log("three");
  settle();
  EXPECT_EQ("one\n", strict_log_text(only_file("first")));
  std::vector<std::string> names = file_names(vemo_folder("second"));
  ASSERT_EQ(2u, names.size());  // the roll started a second file
  EXPECT_EQ("two\n", strict_log_text(vemo_folder("second\\" + names[0])));
  EXPECT_EQ("three\n", strict_log_text(vemo_folder("second\\" + names[1])));
}

}  // namespace
