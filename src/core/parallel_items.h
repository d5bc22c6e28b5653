#pragma once
// Runs the independent items of one batch on a few threads at once. The
// caller slots each item's result by its index, so the answer it builds
// afterwards keeps the items' order whatever order they finished in.
#include <cstddef>
#include <functional>

// Threads a batch may use: the machine's processors, at least 1, at most 8.
size_t batch_thread_count();

// Calls job(index) once for every index below count, on up to `threads`
// threads at the calling thread's priority (the calling thread is one of
// them), and returns when every call has returned. The calls for different
// indexes run at the same time. When no extra thread can be started, the
// calling thread does all of them.
void for_each_index_in_parallel(size_t count, size_t threads, const std::function<void(size_t)>& job);
