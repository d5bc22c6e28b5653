#pragma once
// Blocks of memory for tasks posted from many threads at once. Small blocks
// come from a process-wide free list of the system's interlocked kind, so
// posting and freeing a task never waits on the heap's lock; larger ones,
// and small ones past the list's bound, come from the heap.
#include <cstddef>

namespace vemo {

// Bytes a pooled block holds; a request for more goes to the heap.
constexpr size_t kSmallBlockBytes = 464;
// Pooled blocks ever made, each kept for the life of the process (at most
// about 1 MiB): enough for the tasks that wait between two busy ticks.
constexpr size_t kSmallBlockLimit = 2048;

// A block of at least `bytes`, aligned for any object; null without memory.
// Any thread.
void* small_block_allocate(size_t bytes) noexcept;
// Gives back a block from small_block_allocate (null is ignored). Any thread.
void small_block_release(void* block) noexcept;

}  // namespace vemo
