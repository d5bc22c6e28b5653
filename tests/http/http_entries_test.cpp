// The download entries of the process's manager, read back the way Lua
// reads them: one task per tick from the Lua task queue.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include "core/lua_task_queue.h"
#include "core/owners.h"
#include "http/http.h"
#include "http_test_support.h"
#include "test_support.h"

namespace vemo::test {
namespace {

struct Task {
  std::string name;
  int64_t id = 0;
  std::string json;
  bool has_buffer = false;
  std::string buffer;
};

// Ticks until every id of interest has had its "ASYNC_CALL" answer, or 30 s
// passed; the events for those ids on the way are kept too. (How many
// progress events come before an answer depends on timing.)
std::vector<Task> tick_until_answered(lua_State* L, std::initializer_list<int64_t> ids) {
  std::vector<Task> tasks;
  std::set<int64_t> unanswered(ids);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!unanswered.empty() && std::chrono::steady_clock::now() < deadline) {
    int n = LuaTaskQueue::getInstance()->tick(L);
    if (n == 4) {
      Task task;
      task.name = lua_tostring(L, -4);
      task.id = lua_tointeger(L, -3);
      task.json = lua_isstring(L, -2) ? lua_tostring(L, -2) : "";
      task.has_buffer = !lua_isnil(L, -1);
      if (task.has_buffer) task.buffer.assign(lua_tostring(L, -1), lua_rawlen(L, -1));
      if (std::find(ids.begin(), ids.end(), task.id) != ids.end()) {
        if (task.name == "ASYNC_CALL") unanswered.erase(task.id);
        tasks.push_back(task);
      }
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    lua_settop(L, 0);
  }
  return tasks;
}

TEST(HttpEntriesTest, ResultsAndEventsReachLuaThroughTheTaskQueue) {
  vmsdk_http_global_init();
  vemo::LuaStatePtr state(luaL_newstate());
  lua_State* L = state.get();
  ServedFolder served("entries");
  TempDir dir("entries");
  const std::string bytes = test_bytes(100 * 1024, 41);
  const std::string url = served.add("e.bin", bytes);

  _vemosdk_submit_download(4201, url.c_str(), {},
                           download_params("e-ok", dir.file("ok.part"), dir.file("ok.bin"), reference_md5(bytes)));
  _vemosdk_submit_download(4202, served.url("gone.bin").c_str(), {}, download_params("e-gone", dir.file("gone.part")));
  _vemosdk_check_submit_download();
  _vemosdk_http_stop_task(4203, "");

  std::vector<Task> tasks = tick_until_answered(L, {4201, 4202, 4203});
  state.reset();
  const Task* ok = nullptr;
  const Task* gone = nullptr;
  const Task* stop = nullptr;
  const Task* header = nullptr;
  for (const Task& task : tasks) {
    if (task.name == "HTTP_EVENT") {
      if (task.id == 4201 && task.json.find("\"type\":\"header\"") != std::string::npos) header = &task;
      continue;
    }
    EXPECT_EQ("ASYNC_CALL", task.name);
    (task.id == 4201 ? ok : task.id == 4202 ? gone : stop) = &task;
  }
  ASSERT_NE(nullptr, ok);
  EXPECT_NE(std::string::npos, ok->json.find("\"status\":200"));
  EXPECT_FALSE(ok->has_buffer);
  ASSERT_NE(nullptr, gone);
  EXPECT_NE(std::string::npos, gone->json.find("\"status\":22"));
  EXPECT_TRUE(gone->has_buffer);  // libcurl's error text
  EXPECT_NE(std::string::npos, gone->buffer.find("404"));
  ASSERT_NE(nullptr, stop);
  EXPECT_EQ("{\"succ\":false,\"msg\":\"task id is empty\"}", stop->json);
  ASSERT_NE(nullptr, header);
  EXPECT_NE(std::string::npos, header->json.find("\"total\":102400"));
  std::string landed;
  read_file(dir.file("ok.bin"), landed);
  EXPECT_EQ(bytes, landed);
}

}  // namespace
}  // namespace vemo::test
