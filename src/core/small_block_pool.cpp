#include "core/small_block_pool.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace vemo {
namespace {

// In front of every block. While a pooled block is free its first bytes are
// the list's link; while in use they say where the block goes back to.
union alignas(MEMORY_ALLOCATION_ALIGNMENT > alignof(std::max_align_t) ? MEMORY_ALLOCATION_ALIGNMENT
                                                                       : alignof(std::max_align_t)) BlockHeader {
  SLIST_ENTRY link;
  bool pooled;
};

constexpr size_t kBlockStride = sizeof(BlockHeader) + kSmallBlockBytes;
static_assert(kBlockStride % alignof(BlockHeader) == 0, "blocks of a chunk stay aligned");
// Blocks made at once when the list runs dry: one heap call for many tasks.
constexpr size_t kChunkBlocks = 32;
static_assert(kSmallBlockLimit % kChunkBlocks == 0, "the limit is a number of chunks");

struct Pool {
  Pool() { InitializeSListHead(&free_blocks); }
  SLIST_HEADER free_blocks;
  std::atomic<size_t> chunks{0};
};

// Never destroyed: tasks may be freed while the process exits.
Pool& pool() {
  static Pool* const instance = new Pool();
  return *instance;
}

// Chunks are never freed: another thread's pop may still read a block's
// link after the block has left the list.
BlockHeader* grow(Pool& pool) {
  if (pool.chunks.fetch_add(1, std::memory_order_relaxed) >= kSmallBlockLimit / kChunkBlocks) {
    pool.chunks.fetch_sub(1, std::memory_order_relaxed);
    return nullptr;
  }
  auto* chunk = static_cast<unsigned char*>(_aligned_malloc(kBlockStride * kChunkBlocks, alignof(BlockHeader)));
  if (!chunk) {
    pool.chunks.fetch_sub(1, std::memory_order_relaxed);
    return nullptr;
  }
  // The first block is the caller's; the others join the list.
  for (size_t i = 1; i < kChunkBlocks; ++i)
    InterlockedPushEntrySList(&pool.free_blocks, &reinterpret_cast<BlockHeader*>(chunk + i * kBlockStride)->link);
  return reinterpret_cast<BlockHeader*>(chunk);
}

BlockHeader* heapBlock(size_t bytes) {
  if (bytes > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  void* memory = _aligned_malloc(sizeof(BlockHeader) + bytes, alignof(BlockHeader));
  return static_cast<BlockHeader*>(memory);
}

}  // namespace

void* small_block_allocate(size_t bytes) noexcept {
  BlockHeader* header = nullptr;
  bool pooled = false;
  if (bytes <= kSmallBlockBytes) {
    Pool& blocks = pool();
    header = reinterpret_cast<BlockHeader*>(InterlockedPopEntrySList(&blocks.free_blocks));
    if (!header) header = grow(blocks);
    pooled = header != nullptr;
  }
  if (!header) header = heapBlock(bytes);
  if (!header) return nullptr;
  header->pooled = pooled;
  return header + 1;
}

void small_block_release(void* block) noexcept {
  if (!block) return;
  BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
  if (header->pooled)
    InterlockedPushEntrySList(&pool().free_blocks, &header->link);
  else
    _aligned_free(header);
}

}  // namespace vemo
