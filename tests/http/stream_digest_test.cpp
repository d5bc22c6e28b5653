// The digest taken while a file is written: the same MD5 as the bytes, in
// order, and a writer that waits is woken once it may go on.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "http/stream_digest.h"
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

TEST(StreamDigestTest, AWaitingWriterIsWokenWhenTheDigestCatchesUp) {
  WorkerThreads workers(1);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  workers.post([release] { WaitForSingleObject(release, 30000); });  // holds the only thread
  std::atomic<int> wakes{0};
  auto digest = std::make_shared<StreamDigest>(workers, [&] { ++wakes; });
  const std::string block = vemo::test::test_bytes(4096, 3);
  for (int i = 0; i < 10; ++i) digest->feed(block_of(block));
  EXPECT_FALSE(digest->behind(10));
  EXPECT_TRUE(digest->behind(8));
  EXPECT_EQ(0, wakes.load());
  SetEvent(release);
  std::string all;
  for (int i = 0; i < 10; ++i) all += block;
  EXPECT_EQ(vemo::test::reference_md5(all), finish_and_wait(*digest));
  EXPECT_EQ(1, wakes.load());
  EXPECT_FALSE(digest->behind(8));
  CloseHandle(release);
}

}  // namespace
}  // namespace VemoSDKHttp
