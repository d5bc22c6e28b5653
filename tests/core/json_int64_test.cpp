#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/json_int64.h"

namespace {

TEST(JsonIntegerLiteral, ExactWithinInt64AndNothingElse) {
  const std::pair<const char*, std::optional<int64_t>> cases[] = {
      {"0", 0},
      {"-12", -12},
      {"9007199254740993", 9007199254740993LL},  // 2^53 + 1: a double would say ...992
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"9223372036854775808", std::nullopt},
      {"-9223372036854775809", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"1.5", std::nullopt},
      {"1e3", std::nullopt},
      {"-", std::nullopt},
      {"", std::nullopt},
      {"true", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, json_integer_literal(text)) << text;
}

TEST(JsonArrayMemberIntegers, OneEntryPerElementFromTheFirstMemberOfThatName) {
  const std::string json = R"([
    {"taskId":"a","cbid":1152921504606846977},
    {"cbid":"7"},
    {"nested":{"cbid":5},"list":[{"cbid":6}],"text":"{\"cbid\":8}"},
    {"cbid":2,"cbid":3},
    17,
    {"cbid":4.5},
    {"cbid":-3}
  ])";
  auto found = json_array_member_integers(json, "cbid");
  ASSERT_EQ(7u, found.size());
  EXPECT_EQ(1152921504606846977LL, found[0]);
  EXPECT_EQ(std::nullopt, found[1]);  // a string is not a number
  EXPECT_EQ(std::nullopt, found[2]);  // only the element's own members count
  EXPECT_EQ(2, found[3]);
  EXPECT_EQ(std::nullopt, found[4]);
  EXPECT_EQ(std::nullopt, found[5]);
  EXPECT_EQ(-3, found[6]);
}

TEST(JsonArrayMemberIntegers, BrokenOrForeignTextGivesWhatCameBeforeTheFault) {
  const std::pair<const char*, size_t> cases[] = {
      {"[]", 0}, {"{}", 0}, {"", 0}, {"[{\"cbid\":1},{\"cbid\":", 1}, {"[{\"cbid\":1}", 1}, {"[\"unterminated", 0},
  };
  for (const auto& [text, count] : cases) EXPECT_EQ(count, json_array_member_integers(text, "cbid").size()) << text;
}

}  // namespace
