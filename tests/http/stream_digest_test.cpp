// The digest taken while a file is written: the same MD5 as the bytes, in
// order; a writer waits only past the memory limit and is woken once it may
// go on.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "core/text_convert.h"
#include "http/download_file.h"
#include "http/stream_digest.h"
#include "test_support.h"
#include "http_test_support.h"

namespace VemoSDKHttp {
namespace {

struct Result {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::string md5;
  ~Result() { CloseHandle(done); }
};

std::string finish_and_wait(StreamDigest& digest) {
  Result result;
  digest.finish([&](const std::string& md5) {
    result.md5 = md5;
    SetEvent(result.done);
  });
  WaitForSingleObject(result.done, 30000);
  return result.md5;
}

std::vector<char> block_of(const std::string& bytes) { return {bytes.begin(), bytes.end()}; }

TEST(StreamDigestTest, HashesTheBlocksInTheOrderTheyCame) {
  WorkerThreads workers(4);
  const std::string a = vemo::test::test_bytes(1 << 20, 1), b = vemo::test::test_bytes(300000, 2);
  auto digest = std::make_shared<StreamDigest>(workers, nullptr);
  digest->feed(block_of(a));
  digest->feed(block_of(b));
  EXPECT_EQ(vemo::test::reference_md5(a + b), finish_and_wait(*digest));

  // Written again from byte 0: only what came after counts.
  auto again = std::make_shared<StreamDigest>(workers, nullptr);
  again->feed(block_of(a));
  again->restart();
  again->feed(block_of(b));
  EXPECT_EQ(vemo::test::reference_md5(b), finish_and_wait(*again));
}

// Holds the only thread of a pool until released.
struct HeldWorkers {
  WorkerThreads workers{1};
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HeldWorkers() {
    HANDLE event = release;
    workers.post([event] { WaitForSingleObject(event, INFINITE); });
  }
  ~HeldWorkers() {
    SetEvent(release);
    CloseHandle(release);
  }
};

TEST(StreamDigestTest, AWriterWaitsAboveTheLimitUntilTheBacklogIsDownToItsResumeMark) {
  HeldWorkers held;
  std::atomic<int> wakes{0};
  auto digest = std::make_shared<StreamDigest>(held.workers, [&] { ++wakes; });
  const std::string block = vemo::test::test_bytes(4096, 3);
  for (int i = 0; i < 10; ++i) digest->feed(block_of(block));
  EXPECT_FALSE(digest->behind(10 * 4096, 4 * 4096));  // at the limit: goes on
  EXPECT_TRUE(digest->behind(8 * 4096, 4 * 4096));
  // Once waiting, below the limit is not enough: the backlog must be down to the mark.
  EXPECT_TRUE(digest->behind(12 * 4096, 4 * 4096));
  EXPECT_EQ(0, wakes.load());
  SetEvent(held.release);
  std::string all;
  for (int i = 0; i < 10; ++i) all += block;
  EXPECT_EQ(vemo::test::reference_md5(all), finish_and_wait(*digest));
  EXPECT_EQ(1, wakes.load());
  EXPECT_FALSE(digest->behind(8 * 4096, 4 * 4096));
}

TEST(StreamDigestTest, AFileWrittenAheadOfItsDigestWaitsOnlyPastTheMemoryLimit) {
  vemo::test::TempDir dir("stream_digest_file");
  HeldWorkers held;
  HANDLE woken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto digest = std::make_shared<StreamDigest>(held.workers, [woken] { SetEvent(woken); });
  DownloadFile file;
  DWORD error = 0;
  ASSERT_TRUE(file.openFresh(utf8_to_wstring(dir.file("big.part")), error)) << error;
  file.attachDigest(digest);

  // Written in libcurl's pieces while nothing is hashed: no wait up to the limit.
  const size_t limit = DownloadFile::kDigestBacklogLimit;
  const std::string piece = vemo::test::test_bytes(16 * 1024 + 7, 4);
  std::string written;
  while (written.size() + piece.size() <= limit) {
    ASSERT_FALSE(file.digestBehind()) << written.size();
    ASSERT_EQ(piece.size(), file.write(piece.data(), piece.size()));
    written += piece;
  }
  // One more block reaches the digest and the writer must wait.
  while (!file.digestBehind()) {
    ASSERT_LE(written.size(), limit + (2u << 20));
    ASSERT_EQ(piece.size(), file.write(piece.data(), piece.size()));
    written += piece;
  }

  // Once hashing goes on the writer is woken, and the blocks it reuses
  // carry only their new bytes.
  SetEvent(held.release);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(woken, 30000));
  EXPECT_FALSE(file.digestBehind());
  for (int i = 0; i < 200; ++i) {
    const std::string more = vemo::test::test_bytes(16 * 1024, 10 + i);
    ASSERT_EQ(more.size(), file.write(more.data(), more.size()));
    written += more;
  }
  ASSERT_TRUE(file.finishWrites());
  EXPECT_EQ(vemo::test::reference_md5(written), finish_and_wait(*digest));
  EXPECT_TRUE(file.close());
  EXPECT_EQ(static_cast<int64_t>(written.size()), vemo::test::file_size(dir.file("big.part")));
  CloseHandle(woken);
}

}  // namespace
}  // namespace VemoSDKHttp
