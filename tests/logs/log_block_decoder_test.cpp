#include <gtest/gtest.h>

#include <string>

#include "core/logs/log_block_decoder.h"
#include "core/logs/vemolog.h"
#include "core/text_convert.h"
#include "strict_blocks.h"
#include "test_support.h"

namespace {

using namespace vemo::logs;
using vemo::test::TempDir;

// A file of three blocks ("r0\n", "r1\nr2\n", "r3\n") and where each begins.
struct ThreeBlocks {
  std::string bytes;
  size_t starts[3] = {};
};

ThreeBlocks three_blocks() {
  TempDir dir("decoder-fixture");
  VemoLog log;
  vemolog_init(log, utf8_to_wstring(dir.path()), 0);
  vemolog_open(log, L"f");
  cvemolog_write(log, "r0");
  cvemolog_write(log, "r1");
  cvemolog_write(log, "r2");
  vemolog_flush(log);
  cvemolog_write(log, "r3");
  vemolog_flush(log);
  ThreeBlocks file;
  vemo::test::read_file(dir.file("f"), file.bytes);
  std::vector<vemo::test::StrictBlock> blocks;
  std::string reason;
  EXPECT_TRUE(vemo::test::read_strict_blocks(file.bytes, blocks, reason)) << reason;
  if (blocks.size() != 3) {
    ADD_FAILURE() << blocks.size() << " blocks";
    return file;
  }
  for (size_t i = 1; i < 3; ++i) file.starts[i] = file.starts[i - 1] + blocks[i - 1].length + 6;
  return file;
}

std::string decode(const std::string& bytes, LogDecodeSummary& summary) {
  std::string text;
  summary = decode_log_blocks(bytes, [&text](const std::string& block) { text += block; });
  return text;
}

TEST(LogDecoder, ReadsEveryWholeBlockAndCountsWhatItSkips) {
  ThreeBlocks file = three_blocks();
  const size_t last = file.starts[2];
  struct Case {
    const char* damage;
    std::string bytes;
    std::string text;
    size_t blocks;
    size_t skipped;
  } cases[] = {
      {"none", file.bytes, "r0\nr1\nr2\nr3\n", 3, 0},
      {"the last block cut off (a killed writer)", file.bytes.substr(0, file.bytes.size() - 9), "r0\nr1\nr2\n", 2,
       file.bytes.size() - 9 - last},
      {"garbage in front and between", "\x01\x02junk" + file.bytes.substr(0, last) + std::string("\x01\x00\x00\x00\x11xx", 7) +
                                           file.bytes.substr(last),
       "r0\nr1\nr2\nr3\n", 3, 6 + 7},
      {"a compressed byte of the middle block changed",
       file.bytes.substr(0, file.starts[1] + 17) + char(file.bytes[file.starts[1] + 17] ^ 0x55) +
           file.bytes.substr(file.starts[1] + 18),
       "r0\nr3\n", 2, last - file.starts[1]},
      {"the end byte of the first block missing",
       file.bytes.substr(0, file.starts[1] - 1) + char(0x7f) + file.bytes.substr(file.starts[1]), "r1\nr2\nr3\n", 2,
       file.starts[1]},
      {"a padding byte changed", file.bytes.substr(0, last - 2) + char(0x33) + file.bytes.substr(last - 1),
       "r0\nr3\n", 2, last - file.starts[1]},
      {"a length that is no multiple of 16",
       file.bytes.substr(0, 4) + char(file.bytes[4] + 1) + file.bytes.substr(5), "r1\nr2\nr3\n", 2, file.starts[1]},
      {"nothing but noise", std::string(100, '\x01'), "", 0, 100},
  };
  for (const Case& c : cases) {
    LogDecodeSummary summary;
    EXPECT_EQ(c.text, decode(c.bytes, summary)) << c.damage;
    EXPECT_EQ(c.blocks, summary.blocks) << c.damage;
    EXPECT_EQ(c.skipped, summary.skipped_bytes) << c.damage;
  }
}

}  // namespace
