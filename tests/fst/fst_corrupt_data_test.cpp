// Damaged tables: every truncated prefix of a valid table and random byte
// changes open as invalid or answer each lookup with a value, absent or
// corrupt, never reading outside the bytes (they lie against no-access pages).
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "fst/fst.h"
#include "fst_fixtures.h"

namespace {

using namespace VemoSDK::Fst;
using vemo::test::GuardedBytes;
using vemo::test::lookup;

struct Outcomes {
  int invalid = 0, corrupt = 0, answered = 0;
};

void lookUpAll(const GuardedBytes& bytes, const std::vector<std::string>& keys, Outcomes& outcomes) {
  for (const std::string& key : keys) {
    std::string result = lookup(bytes.data(), bytes.size(), key);
    if (result == "<invalid>") {
      ++outcomes.invalid;
      return;
    }
    ++(result == "<corrupt>" ? outcomes.corrupt : outcomes.answered);
  }
}

class DamagedTable : public ::testing::Test {
protected:
  void SetUp() override {
    for (const auto& [key, value] : vemo::test::random_table(300, 6, 7)) {
      pairs.push_back({key, value});
      keys.push_back(key);
    }
    // A wide state too, so that jump tables get damaged as well.
    for (char k = 'A'; k <= 'P'; ++k) {
      pairs.push_back({std::string("~") + k, std::string(40, k)});
      keys.push_back(std::string("~") + k);
    }
    keys.push_back("absent key");
    ASSERT_EQ(BuildError::None, compileTable(pairs, data));
  }

  std::vector<KeyValue> pairs;
  std::vector<std::string> keys;
  std::string data;
};

TEST_F(DamagedTable, EveryTruncatedPrefixFailsCleanly) {
  Outcomes outcomes;
  for (size_t length = 0; length < data.size(); ++length) {
    for (bool against_end : {false, true}) {
      GuardedBytes prefix(data.substr(0, length), against_end);
      lookUpAll(prefix, keys, outcomes);
    }
  }
  // Most prefixes lose the footer and do not open at all.
  EXPECT_GT(outcomes.invalid, static_cast<int>(data.size()));
}

TEST_F(DamagedTable, RandomByteChangesFailCleanly) {
  std::mt19937 random(99);
  Outcomes outcomes;
  std::vector<std::string> some_keys(keys.begin(), keys.begin() + 40);
  some_keys.insert(some_keys.end(), keys.end() - 17, keys.end());
  for (int round = 0; round < 10000; ++round) {
    std::string damaged = data;
    int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) {
      // Half of the changes hit the footer and the top records, where the
      // root and the jump tables lie.
      size_t at = random() % 2 ? random() % damaged.size() : damaged.size() - 1 - random() % std::min<size_t>(64, damaged.size());
      damaged[at] = static_cast<char>(random() % 256);
    }
    GuardedBytes bytes(damaged, round % 2 == 0);
    lookUpAll(bytes, some_keys, outcomes);
  }
  EXPECT_GT(outcomes.corrupt, 0);
  EXPECT_GT(outcomes.invalid, 0);
  EXPECT_GT(outcomes.answered, 0);
}

}  // namespace
