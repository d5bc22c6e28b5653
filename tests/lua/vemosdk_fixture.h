#pragma once
// A Lua state started as the programs start it (vemosdk_init), with no task
// waiting, and `run`, which gives a chunk's results as text.
#include <windows.h>

#include "sdk/exports.h"

#include "lua_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace vemo::test {

class VemosdkModule : public ::testing::Test {
protected:
  void SetUp() override {
    vemosdk_init(L.get(), nullptr, "1.0.9");
    while (run("return _vemosdk.tick()") != "nil") {
    }
  }
  // The results of a chunk joined with "," (or "error: ..." when it raised).
  std::string run(const std::string& chunk) { return run_chunk(L.get(), chunk); }

  // A chunk and a text that its results (or its error) must contain.
  struct ChunkCase {
    std::string chunk, contains;
  };
  void expect_each_contains(const std::vector<ChunkCase>& cases) {
    for (const ChunkCase& c : cases) {
      std::string result = run(c.chunk);
      EXPECT_NE(std::string::npos, result.find(c.contains)) << c.chunk << ": " << result;
    }
  }

  // The JSON text of the "ASYNC_CALL" answer for id, ticking for up to 30 s;
  // "<no answer>" when none came. Other tasks are dropped on the way.
  // Answers can come in any order: one for another id is kept for its own
  // answer_for call instead of being dropped on the way.
  std::string answer_for(int64_t id) {
    if (auto kept = early_answers_.find(id); kept != early_answers_.end()) {
      std::string answer = kept->second;
      early_answers_.erase(kept);
      return answer;
    }
    lua_State* s = L.get();
    for (int round = 0; round < 3000; ++round) {
      lua_settop(s, 0);
      lua_getglobal(s, "_vemosdk");
      lua_getfield(s, -1, "tick");
      lua_remove(s, 1);
      lua_call(s, 0, LUA_MULTRET);
      if (lua_gettop(s) < 4) {
        Sleep(10);
        continue;
      }
      std::vector<std::string> values = pop_values(s, lua_gettop(s));
      if (values[0] != "ASYNC_CALL" || values[1].size() < 2 || values[1][0] != '#') continue;
      if (values[1] == "#" + std::to_string(id)) return values[2];
      char* end = nullptr;
      const long long other = std::strtoll(values[1].c_str() + 1, &end, 10);
      if (*end == '\0') early_answers_.emplace(other, values[2]);
    }
    lua_settop(s, 0);
    return "<no answer>";
  }

  std::map<int64_t, std::string> early_answers_;

  // A Lua string literal of any text (paths with backslashes, bytes).
  static std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\%03u", c);
      out += (c == '"' || c == '\\' || c < 0x20 || c >= 0x7f) ? escaped : std::string(1, static_cast<char>(c));
    }
    return out + "\"";
  }

  LuaStateHolder L;
};

}  // namespace vemo::test
