#pragma once
// A bare Lua state with `_vemosdk_crypt` required as the SDK requires it, and
// `hex`, which runs a chunk and gives its one string result in hex.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <string>

#include "core/string_utils.h"
#include "lua/crypt/crypt_module.h"
#include "lua_values.h"

namespace vemo::test {

class CryptModule : public ::testing::Test {
protected:
  void SetUp() override {
    luaL_requiref(L.get(), "_vemosdk_crypt", luaopen_vemosdk_crypt, 1);
    lua_pop(L.get(), 1);
    run("C = _vemosdk_crypt H = function(s) return C.hexencode(s) end");
  }
  std::string run(const std::string& chunk) { return run_chunk(L.get(), chunk); }
  // The chunk raised exactly message (after Lua's position prefix).
  void expectError(const std::string& call, const std::string& message) {
    std::string got = run(call);
    std::string tail = "]:1: " + message;
    EXPECT_TRUE(got.size() >= tail.size() && got.compare(got.size() - tail.size(), tail.size(), tail) == 0)
        << call << " gave " << got;
  }

  LuaStateHolder L;
};

}  // namespace vemo::test
