// The task blocks: every size is served whole and aligned, freed blocks come
// back, the bound sends the rest to the heap, and threads never share a block.
#include "core/small_block_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

namespace {

using vemo::kSmallBlockBytes;
using vemo::kSmallBlockLimit;
using vemo::small_block_allocate;
using vemo::small_block_release;

TEST(SmallBlockPool, ServesEverySizeWholeAndAligned) {
  const size_t sizes[] = {0, 1, 40, kSmallBlockBytes - 1, kSmallBlockBytes, kSmallBlockBytes + 1, 1 << 20};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    void* block = small_block_allocate(size);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t));
    std::memset(block, 0xa5, size);
    small_block_release(block);
  }
  small_block_release(nullptr);
}

TEST(SmallBlockPool, AReleasedBlockIsHandedOutAgain) {
  void* first = small_block_allocate(16);
  small_block_release(first);
  void* second = small_block_allocate(kSmallBlockBytes);
  EXPECT_EQ(first, second);
  small_block_release(second);
}

TEST(SmallBlockPool, PastItsBoundBlocksComeFromTheHeap) {
  std::vector<unsigned char*> blocks;
  std::set<unsigned char*> distinct;
  for (size_t i = 0; i < kSmallBlockLimit + 100; ++i) {
    auto* block = static_cast<unsigned char*>(small_block_allocate(kSmallBlockBytes));
    ASSERT_NE(nullptr, block) << i;
    std::memset(block, static_cast<int>(i & 0xff), kSmallBlockBytes);
    blocks.push_back(block);
    distinct.insert(block);
  }
  EXPECT_EQ(blocks.size(), distinct.size());
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(static_cast<unsigned char>(i & 0xff), blocks[i][0]) << i;
    EXPECT_EQ(static_cast<unsigned char>(i & 0xff), blocks[i][kSmallBlockBytes - 1]) << i;
  }
  for (unsigned char* block : blocks) small_block_release(block);
}

// Each thread marks its blocks and checks the mark before giving them back:
// a block handed to two threads at once shows up as a foreign mark.
TEST(SmallBlockPool, ThreadsNeverShareABlock) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 20000;
  constexpr int kHeld = 16;
  std::vector<int> faults(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &faults] {
      std::vector<uint32_t*> held;
      for (int round = 0; round < kRounds; ++round) {
        auto* block = static_cast<uint32_t*>(small_block_allocate(64));
        if (!block) {
          ++faults[t];
          continue;
        }
        uint32_t mark = static_cast<uint32_t>(t << 24 | round);
        for (int i = 0; i < 16; ++i) block[i] = mark;
        held.push_back(block);
        if (held.size() == kHeld || round == kRounds - 1) {
          for (uint32_t* mine : held) {
            for (int i = 1; i < 16; ++i)
              if (mine[i] != mine[0] || mine[0] >> 24 != static_cast<uint32_t>(t)) ++faults[t];
            small_block_release(mine);
          }
          held.clear();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(0, faults[t]) << "thread " << t;
}

}  // namespace
