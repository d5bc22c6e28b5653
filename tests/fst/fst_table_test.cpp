// Compiled tables: the footer, lookups of stored and absent keys, states
// with jump tables of both entry widths, and tables too large for the format.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "fst/fst.h"
#include "fst_fixtures.h"

namespace {

using namespace VemoSDK::Fst;
using vemo::test::lookup;

TEST(FstTable, PrefixKeysResolveAndTheFooterEndsTheData) {
  std::string data;
  ASSERT_EQ(BuildError::None, compileTable({{"ab", "2"}, {"a", "1"}}, data));
  ASSERT_GE(data.size(), 13u);
  EXPECT_EQ(0x0B, static_cast<unsigned char>(data.back()));
  std::uint32_t root = 0;
  for (int i = 0; i < 4; ++i) root |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[data.size() - 5 + i])) << (8 * i);
  EXPECT_LT(root, data.size() - 13);
  EXPECT_EQ(0, data[data.size() - 13]) << "character table entry 0";
  EXPECT_EQ("1", lookup(data, "a"));
  EXPECT_EQ("2", lookup(data, "ab"));
  for (const char* absent : {"b", "abc", "", "A", "ba"}) EXPECT_EQ("<absent>", lookup(data, absent)) << absent;
}

TEST(FstTable, KeysOnceOnlyAndNeverEmpty) {
  std::string data;
  EXPECT_EQ(BuildError::EmptyKey, compileTable({{"", "x"}, {"a", "1"}}, data));
  EXPECT_EQ(BuildError::DuplicateKey, compileTable({{"a", "1"}, {"a", "2"}}, data));
  // No keys at all: a table that finds nothing.
  ASSERT_EQ(BuildError::None, compileTable({}, data));
  EXPECT_EQ(13u, data.size());
  EXPECT_EQ("<absent>", lookup(data, "a"));
}

TEST(FstTable, WideStatesGetJumpTablesWithNarrowOrWideEntries) {
  struct Case {
    size_t value_size;
    unsigned char marker;
  };
  for (const Case c : {Case{1, 254}, Case{300, 255}}) {
    std::vector<KeyValue> pairs;
    for (char k = 'a'; k <= 'p'; ++k) {
      pairs.push_back({std::string(1, k), std::string(c.value_size, k) + "!"});
      pairs.push_back({std::string(1, k) + "z", std::string(1, k)});
    }
    std::string data;
    ASSERT_EQ(BuildError::None, compileTable(pairs, data));
    size_t root = static_cast<unsigned char>(data[data.size() - 5]) | (static_cast<unsigned char>(data[data.size() - 4]) << 8);
    EXPECT_EQ(c.marker, static_cast<unsigned char>(data[root])) << "the root is a jump table";
    for (const KeyValue& pair : pairs) EXPECT_EQ(pair.value, lookup(data, pair.key)) << pair.key;
    for (const char* absent : {"0", "q", "az0", "`", "\xff"}) EXPECT_EQ("<absent>", lookup(data, absent)) << absent;
  }
}

TEST(FstTable, StateTooWideForItsJumpTableIsRefused) {
  std::vector<KeyValue> pairs;
  for (char k = 'a'; k <= 'j'; ++k) pairs.push_back({std::string(1, k), std::string(8000, k)});
  std::string data;
  EXPECT_EQ(BuildError::JumpTableTooLarge, compileTable(pairs, data));
}

TEST(FstTable, RandomPairsAllResolve) {
  std::map<std::string, std::string> table = vemo::test::random_table(10000, 7, 20240611);
  std::vector<KeyValue> pairs;
  size_t value_bytes = 0;
  for (const auto& [key, value] : table) {
    pairs.push_back({key, value});
    value_bytes += value.size();
  }
  EXPECT_GT(value_bytes, 65000u);  // about 70 KB
  std::string data;
  ASSERT_EQ(BuildError::None, compileTable(pairs, data));
  for (const auto& [key, value] : table) {
    ASSERT_EQ(value, lookup(data, key)) << key;
    std::string longer = key + "q";
    if (!table.count(longer)) {
      ASSERT_EQ("<absent>", lookup(data, longer)) << longer;
    }
    std::string shorter = key.substr(0, key.size() - 1);
    if (!table.count(shorter)) {
      ASSERT_EQ("<absent>", lookup(data, shorter)) << shorter;
    }
  }
}

}  // namespace
