// Tasks per second through the queue and the tick: P producer threads post
// HTTP events with a copied JSON text of about 60 bytes while this thread
// ticks them into Lua and pops their values, as the Lua thread does. Each
// producer keeps at most a window of undelivered tasks, as an engine that
// waits on Lua's answers would; posting itself never waits.
//   lua_task_queue_bench.exe [producers] [tasks per producer] [window]
// Prints producers=P tasks=N seconds=S per_second=R.
#include "core/lua_task_queue.h"

#include <lua.hpp>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct alignas(64) Delivered {
  std::atomic<int64_t> count{0};
};

struct LuaClose {
  void operator()(lua_State* L) const { lua_close(L); }
};

void produce(LuaTaskQueue& queue, int producer, int64_t tasks, int64_t window, const Delivered& delivered,
             const std::atomic<bool>& go) {
  while (!go.load(std::memory_order_acquire)) std::this_thread::yield();
  char json[96];
  for (int64_t seq = 0; seq < tasks; ++seq) {
    while (seq - delivered.count.load(std::memory_order_relaxed) >= window) std::this_thread::yield();
    std::snprintf(json, sizeof(json), "{\"id\":%lld,\"progress\":%lld,\"total\":1048576,\"speed\":123456}",
                  static_cast<long long>(producer), static_cast<long long>(seq));
    queue.postCopy("HTTP_EVENT", (static_cast<int64_t>(producer) << 32) | seq, json, nullptr, 0, false);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int producers = argc > 1 ? _wtoi(argv[1]) : 8;
  int64_t tasks_each = argc > 2 ? _wtoi(argv[2]) : 250000;
  int64_t window = argc > 3 ? _wtoi(argv[3]) : 128;
  if (producers < 1 || tasks_each < 1 || window < 1) {
    std::fprintf(stderr, "usage: lua_task_queue_bench [producers] [tasks per producer] [window]\n");
    return 2;
  }
  LuaTaskQueue queue;
  std::unique_ptr<lua_State, LuaClose> L(luaL_newstate());
  std::vector<Delivered> delivered(static_cast<size_t>(producers));
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int p = 0; p < producers; ++p)
    threads.emplace_back(produce, std::ref(queue), p, tasks_each, window, std::cref(delivered[p]), std::cref(go));

  const int64_t total = tasks_each * producers;
  int64_t received = 0;
  int64_t wrong = 0;
  auto start = std::chrono::steady_clock::now();
  go.store(true, std::memory_order_release);
  while (received < total) {
    int count = queue.tick(L.get());
    if (count == 4) {
      auto id = static_cast<int64_t>(lua_tointeger(L.get(), -3));
      auto producer = static_cast<size_t>(id >> 32);
      if (producer < delivered.size() && (id & 0xffffffff) == delivered[producer].count.load(std::memory_order_relaxed))
        delivered[producer].count.fetch_add(1, std::memory_order_relaxed);
      else
        ++wrong;
      ++received;
    }
    lua_settop(L.get(), 0);
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (std::thread& thread : threads) thread.join();
  std::printf("producers=%d tasks=%lld seconds=%.3f per_second=%.0f out_of_order=%lld\n", producers,
              static_cast<long long>(total), seconds, static_cast<double>(total) / seconds,
              static_cast<long long>(wrong));
  return wrong == 0 ? 0 : 1;
}
