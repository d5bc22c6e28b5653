#pragma once
// A Lua state with the JSON module opened as the SDK opens it, plus `show`,
// a Lua function that prints any value with its exact types so that decode
// results can be compared as text.
#include <gtest/gtest.h>

#include <string>

#include "lua.hpp"

namespace vemo::test {

class JsonModule : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Runs "return <expression>" and gives the first result through
  // tostring, or "error: <message>" when the chunk raises; an error that
  // names its place in the chunk reads "error: line 1: <message>".
  std::string eval(const std::string& expression);
  // Runs a chunk for its effect; the failure text, or "" on success.
  std::string run(const std::string& chunk);

  lua_State* L = nullptr;
};

// One row of a table of cases: a Lua expression and the text it must give.
struct JsonCase {
  const char* expression;
  const char* expected;
};

}  // namespace vemo::test
