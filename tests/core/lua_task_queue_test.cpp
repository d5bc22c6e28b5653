// The queue from producers on any thread to the Lua thread: values, order,
// the latest-event slot, ownership, and many producers at once.
#include "core/lua_task_queue.h"

#include "core/owners.h"
#include "lua_values.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <thread>

namespace {

using vemo::test::LuaStateHolder;
using vemo::test::pop_values;
using Values = std::vector<std::string>;

char* dup(const char* text) {
  char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
  std::strcpy(copy, text);
  return copy;
}

void* bytes(const char* data, size_t size) {
  void* copy = std::malloc(size);
  std::memcpy(copy, data, size);
  return copy;
}

Values tick(LuaTaskQueue& queue, lua_State* L) { return pop_values(L, queue.tick(L)); }

// Memory that a task must neither keep nor free: freeing it would crash.
char g_not_heap[4] = {'x', 'y', 'z', 0};

struct PostCase {
  const char* label;
  std::function<void(LuaTaskQueue&)> post;
  Values delivered;
};

TEST(LuaTaskQueue, DeliversThePostedValues) {
  const PostCase cases[] = {
      {"nothing posted", [](LuaTaskQueue&) {}, {"nil"}},
      {"async call without json or buffer", [](LuaTaskQueue& q) { q.postAsyncCall(7, nullptr, nullptr, 0); },
       {"ASYNC_CALL", "#7", "{}", "nil"}},
      {"async call with json",
       [](LuaTaskQueue& q) { q.postAsyncCall(12, dup(R"({"succ":true})"), nullptr, 0); },
       {"ASYNC_CALL", "#12", R"({"succ":true})", "nil"}},
      {"id above 32 bits", [](LuaTaskQueue& q) { q.postAsyncCall(0x100000002LL, nullptr, nullptr, 0); },
       {"ASYNC_CALL", "#4294967298", "{}", "nil"}},
      {"negative id", [](LuaTaskQueue& q) { q.postEvent("HTTP_EVENT", -1003, nullptr, nullptr, 0); },
       {"HTTP_EVENT", "#-1003", "{}", "nil"}},
      {"named event with a buffer holding NUL bytes",
       [](LuaTaskQueue& q) { q.postEvent("MEDIA_PLAY", 3, dup("{}"), bytes("a\0b", 3), 3); },
       {"MEDIA_PLAY", "#3", "{}", std::string("a\0b", 3)}},
      {"null name", [](LuaTaskQueue& q) { q.postEvent(nullptr, 1, dup("[1]"), nullptr, 0); },
       {"ASYNC_CALL", "#1", "[1]", "nil"}},
      {"buffer of length 0 is nil and not taken",
       [](LuaTaskQueue& q) { q.postEvent("E", 2, nullptr, g_not_heap, 0); }, {"E", "#2", "{}", "nil"}},
      {"negative length is no buffer", [](LuaTaskQueue& q) { q.postEvent("E", 2, nullptr, g_not_heap, -4); },
       {"E", "#2", "{}", "nil"}},
      {"latest-event slot alone",
       [](LuaTaskQueue& q) { q.post("PATCH_EVENT", 5, dup(R"({"p":1})"), nullptr, 0, true); },
       {"PATCH_EVENT", "#5", R"({"p":1})", "nil"}},
      // Copies are never freed: g_not_heap would crash free().
      {"copied name, json and buffer",
       [](LuaTaskQueue& q) { q.postCopy(g_not_heap, 9, g_not_heap, g_not_heap, 3, false); },
       {"xyz", "#9", "xyz", "xyz"}},
      {"copied without name, json or buffer",
       [](LuaTaskQueue& q) { q.postCopy(nullptr, 4, nullptr, nullptr, 0, false); }, {"ASYNC_CALL", "#4", "{}", "nil"}},
      {"copied texts larger than a pooled block",
       [](LuaTaskQueue& q) {
         std::string json(3000, 'j'), body(5000, '\0');
         q.postCopy("BIG", 1, json.c_str(), body.data(), static_cast<int32_t>(body.size()), false);
       },
       {"BIG", "#1", std::string(3000, 'j'), std::string(5000, '\0')}},
      {"copied into the latest-event slot",
       [](LuaTaskQueue& q) { q.postCopy("HTTP_EVENT", 6, R"({"p":2})", nullptr, 0, true); },
       {"HTTP_EVENT", "#6", R"({"p":2})", "nil"}},
  };
  for (const PostCase& c : cases) {
    SCOPED_TRACE(c.label);
    LuaTaskQueue queue;
    LuaStateHolder L;
    c.post(queue);
    EXPECT_EQ(c.delivered, tick(queue, L.get()));
    EXPECT_EQ(0, lua_gettop(L.get()));
    EXPECT_EQ(Values{"nil"}, tick(queue, L.get())) << "delivered twice";
  }
}

TEST(LuaTaskQueue, QueuedTasksComeFirstInOrderThenTheLatestEvent) {
  LuaTaskQueue queue;
  LuaStateHolder L;
  queue.post("HTTP_EVENT", 1, dup("progress 1"), nullptr, 0, true);
  queue.postEvent("BATCH_SUBMIT_EVENT", 10, dup("first"), nullptr, 0);
  queue.post("HTTP_EVENT", 1, dup("progress 2"), nullptr, 0, true);
  queue.post("HTTP_EVENT", 1, dup("final"), nullptr, 0, false);
  queue.post("HTTP_EVENT", 1, dup("progress 3"), nullptr, 0, true);

  EXPECT_EQ((Values{"BATCH_SUBMIT_EVENT", "#10", "first", "nil"}), tick(queue, L.get()));
  EXPECT_EQ((Values{"HTTP_EVENT", "#1", "final", "nil"}), tick(queue, L.get()));
  EXPECT_EQ((Values{"HTTP_EVENT", "#1", "progress 3", "nil"}), tick(queue, L.get()));
  EXPECT_EQ(Values{"nil"}, tick(queue, L.get()));
}

// Counts its pushes and its destruction.
class CountingTask : public VemoSDK::LuaTask {
public:
  CountingTask(int value, std::atomic<int>& destroyed) : value_(value), destroyed_(destroyed) {}
  ~CountingTask() override { ++destroyed_; }
  int push(lua_State* L) override {
    lua_pushliteral(L, "FOREIGN_NATIVE_CALL");
    lua_pushinteger(L, value_);
    lua_pushboolean(L, 1);
    return 3;
  }

private:
  int value_;
  std::atomic<int>& destroyed_;
};

TEST(LuaTaskQueue, ReadyTasksAreDeliveredThenDeleted) {
  std::atomic<int> destroyed{0};
  LuaTaskQueue queue;
  LuaStateHolder L;
  queue.pushTask(new CountingTask(1, destroyed));
  queue.pushTask(nullptr);
  queue.pushTask(new CountingTask(2, destroyed));

  EXPECT_EQ((Values{"FOREIGN_NATIVE_CALL", "#1", "<boolean>"}), tick(queue, L.get()));
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ((Values{"FOREIGN_NATIVE_CALL", "#2", "<boolean>"}), tick(queue, L.get()));
  EXPECT_EQ(2, destroyed);
  EXPECT_EQ(Values{"nil"}, tick(queue, L.get()));
}

TEST(LuaTaskQueue, UndeliveredTasksAreDeletedWithTheQueue) {
  std::atomic<int> destroyed{0};
  {
    LuaTaskQueue queue;
    for (int i = 0; i < 3; ++i) queue.pushTask(new CountingTask(i, destroyed));
    queue.post("PATCH_EVENT", 1, dup("{}"), bytes("x", 1), 1, true);
  }
  EXPECT_EQ(3, destroyed);
}

// A Lua allocator that can be told to refuse to grow (shrinking must never
// fail, Lua relies on it).
struct FailingAllocator {
  bool fail = false;
  static void* allocate(void* ud, void* block, size_t old_size, size_t size) {
    if (size == 0) {
      std::free(block);
      return nullptr;
    }
    bool grows = !block || size > old_size;
    if (grows && static_cast<FailingAllocator*>(ud)->fail) return nullptr;
    return std::realloc(block, size);
  }
};

int tick_without_memory(lua_State* L) {
  auto* queue = static_cast<LuaTaskQueue*>(lua_touserdata(L, 1));
  auto* allocator = static_cast<FailingAllocator*>(lua_touserdata(L, 2));
  allocator->fail = true;
  return queue->tick(L);
}

TEST(LuaTaskQueue, AMemoryErrorInTickLeavesTheSlotUsable) {
  LuaTaskQueue queue;
  FailingAllocator allocator;
  vemo::LuaStatePtr state(lua_newstate(&FailingAllocator::allocate, &allocator));
  lua_State* L = state.get();
  ASSERT_NE(nullptr, L);
  queue.post("PATCH_EVENT", 1, dup("a text Lua has not seen before, so pushing it allocates"), nullptr, 0, true);

  lua_pushcfunction(L, tick_without_memory);
  lua_pushlightuserdata(L, &queue);
  lua_pushlightuserdata(L, &allocator);
  EXPECT_EQ(LUA_ERRMEM, lua_pcall(L, 2, LUA_MULTRET, 0));
  allocator.fail = false;
  lua_settop(L, 0);

  // A producer must still get through; were the slot's lock left held it
  // would wait for ever.
  std::promise<void> posted;
  std::future<void> producer = posted.get_future();
  std::thread([&queue, &posted] {
    queue.post("PATCH_EVENT", 2, dup("after the error"), nullptr, 0, true);
    posted.set_value();
  }).detach();
  ASSERT_EQ(std::future_status::ready, producer.wait_for(std::chrono::seconds(30)));
  EXPECT_EQ((Values{"PATCH_EVENT", "#2", "after the error", "nil"}), tick(queue, L));
  state.reset();
}

TEST(LuaTaskQueue, ManyProducersEachTaskOnceInOrderPerProducer) {
  constexpr int kProducers = 8;
  constexpr int kTasksEach = 10000;
  LuaTaskQueue queue;
  LuaStateHolder L;
  std::atomic<int> ready{0};
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&queue, &ready, p] {
      ++ready;
      while (ready < kProducers) std::this_thread::yield();
      for (int seq = 0; seq < kTasksEach; ++seq) {
        char* json = dup(std::to_string(seq).c_str());
        queue.postEvent("TEST_EVENT", (static_cast<int64_t>(p) << 32) | seq, json, nullptr, 0);
      }
    });
  }

  std::vector<int> next_seq(kProducers, 0);
  int received = 0;
  int faults = 0;
  auto consume = [&] {
    int count = queue.tick(L.get());
    if (count == 1) {
      lua_pop(L.get(), 1);
      return false;
    }
    int64_t id = lua_tointeger(L.get(), -3);
    int producer = static_cast<int>(id >> 32);
    int seq = static_cast<int>(id & 0xffffffff);
    bool in_order = producer >= 0 && producer < kProducers && seq == next_seq[producer] &&
                    std::to_string(seq) == lua_tostring(L.get(), -2);
    if (in_order) {
      ++next_seq[producer];
    } else if (++faults <= 5) {
      ADD_FAILURE() << "producer " << producer << " seq " << seq;
    }
    ++received;
    lua_pop(L.get(), count);
    return true;
  };
  while (received < kProducers * kTasksEach && faults == 0) {
    if (!consume()) std::this_thread::yield();
  }
  for (std::thread& t : producers) t.join();
  while (consume()) {
  }
  EXPECT_EQ(0, faults);
  EXPECT_EQ(kProducers * kTasksEach, received);
  for (int p = 0; p < kProducers; ++p) EXPECT_EQ(kTasksEach, next_seq[p]) << "producer " << p;
}

TEST(LuaTaskQueue, TheSlotNeverGoesBackToAnOlderEvent) {
  constexpr int kReports = 20000;
  LuaTaskQueue queue;
  LuaStateHolder L;
  std::atomic<bool> finished{false};
  std::thread progress([&] {
    for (int i = 1; i <= kReports; ++i) queue.post("HTTP_EVENT", i, nullptr, nullptr, 0, true);
    finished = true;
  });
  int64_t last = 0;
  int delivered = 0;
  auto consume = [&] {
    Values values = tick(queue, L.get());
    if (values.size() == 1) return false;
    int64_t id = std::stoll(values[1].substr(1));
    EXPECT_GT(id, last);
    last = id;
    ++delivered;
    return true;
  };
  while (!finished) consume();
  progress.join();
  while (consume()) {
  }
  EXPECT_EQ(kReports, last) << "the newest report must be delivered";
  EXPECT_LE(delivered, kReports);
}

}  // namespace
