#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <set>
#include <string>

#include "core/logs/vemolog.h"
#include "core/text_convert.h"
#include "strict_blocks.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::read_strict_log_file;
using vemo::test::StrictBlock;
using vemo::test::strict_log_text;
using vemo::test::TempDir;

// Bytes that deflate cannot shrink, the same for the same seed.
std::string noise(size_t length, unsigned seed) {
  std::mt19937 random(seed);
  std::string text(length, ' ');
  for (char& c : text) c = static_cast<char>(random() % 256);
  return text;
}

std::vector<StrictBlock> blocks_of(const std::string& path) {
  std::vector<StrictBlock> blocks;
  std::string reason;
  EXPECT_TRUE(read_strict_log_file(path, blocks, reason)) << reason;
  return blocks;
}

class CompressedLog : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(kInitReady, vemolog_init(log, utf8_to_wstring(dir.path()), 0)); }
  std::string file(const std::string& name) { return dir.file(name); }

  TempDir dir{"vemolog"};
  VemoLog log;
};

TEST(CompressedLogCodes, RefuseWhatTheStateDoesNotAllow) {
  TempDir dir("vemolog-codes");
  std::wstring root = utf8_to_wstring(dir.path());
  VemoLog log;
  EXPECT_EQ(kWriteNotOpen, cvemolog_write(log, "x"));
  EXPECT_EQ(kFlushNoStream, vemolog_flush(log));
  EXPECT_EQ(kOpenNotInitialised, vemolog_open(log, L"1"));
  EXPECT_EQ(0, vemolog_jf_switch_dir(log, root));
  EXPECT_EQ(kInitRefused, vemolog_init(log, L"", 0));
  EXPECT_EQ(kInitReady, vemolog_init(log, root, 0));
  EXPECT_EQ(kDefaultMaxFileSize, log.max_file_size);
  EXPECT_EQ(kInitRefused, vemolog_init(log, root, 0));
  EXPECT_EQ(kWriteNotOpen, cvemolog_write(log, "before open"));
  EXPECT_EQ(kOpenBadName, vemolog_open(log, L""));
  EXPECT_EQ(0, vemolog_jf_switch_dir(log, root + L"\\other"));  // the file log keeps its one directory
  EXPECT_EQ(kFlushDone, vemolog_flush(log));
}

TEST_F(CompressedLog, AFailedOpenLeavesTheWriterClosed) {
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"good"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "kept"));
  ASSERT_TRUE(vemo::test::write_file(file("blocker"), "a file where a folder would be"));
  EXPECT_EQ(kOpenCannotOpen, vemolog_open(log, L"blocker\\1"));
  EXPECT_EQ(kWriteNotOpen, cvemolog_write(log, "lost, and not written into the old file"));
  EXPECT_EQ(L"", vemolog_current_file(log));
  EXPECT_EQ("kept\n", strict_log_text(file("good")));
}

TEST_F(CompressedLog, TheFirstRecordOfAnEmptyFileIsOnDiskAtOnceAndTheRestWaitsForTheBlock) {
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"1715000000000"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "first"));
  EXPECT_EQ("first\n", strict_log_text(file("1715000000000")));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "second"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "third"));
  EXPECT_EQ("first\n", strict_log_text(file("1715000000000")));
  ASSERT_EQ(kFlushDone, vemolog_flush(log));
  std::vector<StrictBlock> blocks = blocks_of(file("1715000000000"));
  ASSERT_EQ(2u, blocks.size());
  EXPECT_EQ("second\nthird\n", blocks[1].text);
  ASSERT_EQ(kFlushDone, vemolog_flush(log));  // nothing pending: no empty block
  EXPECT_EQ(2u, blocks_of(file("1715000000000")).size());
}

TEST_F(CompressedLog, EveryBlockIsWellFormedWhateverTheRecordsAre) {
  // Records of every length up to a few units of noise close many blocks at
  // 5,120 bytes with every remainder; small records and huge ones in between.
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"2"));
  std::string expected;
  for (unsigned i = 0; i < 400; ++i) {
    std::string record = i % 50 == 7 ? std::string(70000, 'z') + noise(30000, i) : noise(1 + i * 7 % 701, i);
    ASSERT_EQ(kWriteDone, cvemolog_write(log, record)) << i;
    expected += record + "\n";
  }
  ASSERT_EQ(kFlushDone, vemolog_flush(log));
  std::vector<StrictBlock> blocks = blocks_of(file("2"));
  std::string text;
  std::set<int> paddings;
  for (const StrictBlock& block : blocks) {
    text += block.text;
    paddings.insert(block.padding);
  }
  EXPECT_EQ(expected, text);
  EXPECT_GT(blocks.size(), 20u);
  EXPECT_GT(paddings.size(), 8u) << "the padding took few of its sixteen forms";
}

TEST_F(CompressedLog, ARecordOf49999BytesIsOneBlock) {
  const std::string record(49999, 'a');
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"fresh"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, record));
  std::vector<StrictBlock> blocks = blocks_of(file("fresh"));
  ASSERT_EQ(1u, blocks.size());
  EXPECT_EQ(record + "\n", blocks[0].text);

  ASSERT_EQ(kOpenDone, vemolog_open(log, L"used"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "x"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, record));
  ASSERT_EQ(kFlushDone, vemolog_flush(log));
  blocks = blocks_of(file("used"));
  ASSERT_EQ(2u, blocks.size());
  EXPECT_EQ(record + "\n", blocks[1].text);
}

TEST(CompressedLogLimit, AFileOverItsLimitRefusesRecordsUntilAnotherFileIsOpened) {
  TempDir dir("vemolog-limit");
  VemoLog log;
  ASSERT_EQ(kInitReady, vemolog_init(log, utf8_to_wstring(dir.path()), 4096));
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"1"));
  int accepted = 0;
  int result = kWriteDone;
  for (unsigned i = 0; i < 10 && result == kWriteDone; ++i) {
    result = cvemolog_write(log, noise(3000, i));
    if (result == kWriteDone) ++accepted;
  }
  EXPECT_EQ(kWriteOverSize, result);
  EXPECT_EQ(3, accepted);  // 3,000 on disk at once, then a block that passes 5,120
  EXPECT_GT(vemolog_current_file_size(log), 4096);
  EXPECT_EQ(kWriteOverSize, cvemolog_write(log, "x"));
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"2"));
  EXPECT_EQ(kWriteDone, cvemolog_write(log, "x"));
  EXPECT_EQ("x\n", strict_log_text(dir.file("2")));
}

TEST_F(CompressedLog, OpeningAFileAgainAppendsAfterItsBlocks) {
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"a"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "one"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "two"));
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"b"));  // "two" is written out first
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"a"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "three"));
  ASSERT_EQ(kFlushDone, vemolog_flush(log));
  EXPECT_EQ(3u, blocks_of(file("a")).size());
  EXPECT_EQ("one\ntwo\nthree\n", strict_log_text(file("a")));
}

TEST_F(CompressedLog, AFileMovedAwayWhileOpenIsMadeAgainForTheNextBlock) {
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"sub\\9"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "moved"));
  ASSERT_TRUE(MoveFileW(utf8_to_wstring(file("sub\\9")).c_str(), utf8_to_wstring(file("elsewhere")).c_str()));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "back"));
  ASSERT_EQ(kFlushDone, vemolog_flush(log));
  EXPECT_EQ("back\n", strict_log_text(file("sub\\9")));
  EXPECT_EQ("moved\n", strict_log_text(file("elsewhere")));
}

TEST(CompressedJfLog, EachDirectoryKeepsItsOwnFileAndBlock) {
  TempDir dir("vemolog-jf");
  std::wstring root = utf8_to_wstring(dir.path());
  VemoLog log;
  log.per_directory_streams = true;
  EXPECT_EQ(0, vemolog_jf_switch_dir(log, root + L"\\b"));
  ASSERT_EQ(kInitReady, vemolog_init(log, root, 0));
  EXPECT_EQ(0, vemolog_jf_switch_dir(log, L""));

  ASSERT_EQ(1, vemolog_jf_switch_dir(log, root + L"\\b"));
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"1"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "b1"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "b2"));  // waits in b's block
  ASSERT_EQ(1, vemolog_jf_switch_dir(log, root + L"\\c"));
  ASSERT_EQ(kWriteNotOpen, cvemolog_write(log, "c before its open"));
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"2"));
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "c1"));
  ASSERT_EQ(1, vemolog_jf_switch_dir(log, root + L"\\b"));
  ASSERT_EQ(kOpenDone, vemolog_open(log, L"1"));  // the same file: its block goes on
  ASSERT_EQ(kWriteDone, cvemolog_write(log, "b3"));
  vemolog_flush_all(log);

  std::vector<StrictBlock> b = blocks_of(dir.file("b\\1"));
  ASSERT_EQ(2u, b.size());
  EXPECT_EQ("b2\nb3\n", b[1].text);
  EXPECT_EQ("c1\n", strict_log_text(dir.file("c\\2")));
}

}  // namespace
