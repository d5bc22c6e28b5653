// The sensitive-word trie from Lua: inserting words, walking them node by
// node, the byte count, and nodes kept by a script across a clean.
#include <gtest/gtest.h>

#include <string>

#include "vemosdk_fixture.h"

namespace {

class SensitiveWords : public vemo::test::VemosdkModule {
protected:
  void SetUp() override {
    VemosdkModule::SetUp();
    // The trie lives as long as the process: every case starts from a clean one.
    ASSERT_EQ("", run("W = _vemosdk.sensitive_words W.clean()"));
  }
};

TEST_F(SensitiveWords, WordsAreWalkedNodeByNode) {
  EXPECT_EQ("true", run("local word = {1, 2, 3} return W.insert(word) == word"));
  EXPECT_EQ("false,60", run("return W.is_empty(), W.size()"));
  EXPECT_EQ("false,false,true,nil,nil",
            run("n1 = W.get_node(W.root_node(), 1) n2 = W.get_node(n1, 2) n3 = W.get_node(n2, 3) "
                "return W.is_end(n1), W.is_end(n2), W.is_end(n3), W.get_node(n3, 4), W.get_node(W.root_node(), 2)"));
  // A shorter word on the same path only marks its end.
  EXPECT_EQ("true,60", run("W.insert({1, 2}) return W.is_end(n2), W.size()"));
  EXPECT_EQ("60", run("W.insert({1, 2, 3}) return W.size()"));
  EXPECT_EQ("true,100", run("W.insert({1, 5, 6}) return W.is_end(W.get_node(W.get_node(n1, 5), 6)), W.size()"));
}

TEST_F(SensitiveWords, LongWordsAndLargeCodes) {
  EXPECT_EQ("2000,true", run(R"(
    local word = {}
    for i = 1, 100 do word[i] = 0x10FFFF - i end
    W.insert(word)
    local node = W.root_node()
    for i = 1, 100 do node = W.get_node(node, 0x10FFFF - i) end
    return W.size(), W.is_end(node))"));
}

TEST_F(SensitiveWords, BadWordsAreRefusedAndAddNothing) {
  expect_each_contains({
      {"return W.insert({})", "char code empty, len = 0"},
      {"return W.insert({1, 'x', 3})", "item 2 invalid (number required, got string)"},
      {"return W.insert({7, 8, {}})", "item 3 invalid (number required, got table)"},
      {"return W.insert('abc')", "table expected"},
  });
  EXPECT_EQ("true,0", run("return W.is_empty(), W.size()"));
}

TEST_F(SensitiveWords, NodesFromBeforeACleanAreRefused) {
  run("W.insert({1, 2, 3}) old = W.get_node(W.root_node(), 1) root = W.root_node()");
  run("W.clean()");
  EXPECT_EQ("true,0", run("return W.is_empty(), W.size()"));
  // New nodes take the place of the old ones, but the old handle stays dead.
  run("W.insert({1, 2, 3})");
  const char* const stale_uses[] = {"return W.get_node(old, 2)", "return W.is_end(old)",
                                    "return W.get_node(nil, 1)", "return W.is_end(io.stdout)"};
  for (const char* chunk : stale_uses) {
    std::string result = run(chunk);
    EXPECT_NE(std::string::npos, result.find("Node error")) << chunk << ": " << result;
  }
  EXPECT_EQ("true,false", run("return W.get_node(root, 1) ~= nil, W.is_end(W.get_node(root, 1))"));
}

}  // namespace
