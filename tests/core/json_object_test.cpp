// JsonObject: what each add does to the printed object.
#include "core/json_object.h"
#include "core/owners.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

TEST(JsonObject, AddsUnderNonEmptyKeysOnly) {
  struct AddCase {
    const char* label;
    std::function<void(JsonObject&)> add;
    const char* printed;
  };
  vemo::JsonPtr owner(cJSON_CreateArray());
  cJSON* shared = owner.get();
  cJSON_AddItemToArray(shared, cJSON_CreateNumber(1));
  const AddCase cases[] = {
      {"bool", [](JsonObject& o) { o.addBool("ok", true); }, R"({"base":1,"ok":true})"},
      {"false", [](JsonObject& o) { o.addBool("ok", false); }, R"({"base":1,"ok":false})"},
      {"number", [](JsonObject& o) { o.addNumber("n", 2.5); }, R"({"base":1,"n":2.5})"},
      {"string", [](JsonObject& o) { o.addString("s", "a\"b"); }, R"({"base":1,"s":"a\"b"})"},
      {"null string", [](JsonObject& o) { o.addString("s", nullptr); }, R"({"base":1,"s":""})"},
      {"empty key string", [](JsonObject& o) { o.addString("", "x"); }, R"({"base":1})"},
      {"empty key bool", [](JsonObject& o) { o.addBool("", true); }, R"({"base":1})"},
      {"null key number", [](JsonObject& o) { o.addNumber(nullptr, 1); }, R"({"base":1})"},
      {"item ref", [shared](JsonObject& o) { o.addItemRef("list", shared); }, R"({"base":1,"list":[1]})"},
      {"null item ref", [](JsonObject& o) { o.addItemRef("list", nullptr); }, R"({"base":1})"},
  };
  for (const auto& c : cases) {
    JsonObject object;
    ASSERT_TRUE(object.create());
    object.addNumber("base", 1);
    c.add(object);
    EXPECT_EQ(c.printed, object.print()) << c.label;
  }
  // The referenced item outlives every object that pointed at it.
  EXPECT_EQ(1, cJSON_GetArraySize(shared));
}

TEST(JsonObject, InvalidObjectPrintsNothingAndMovesLeaveOneOwner) {
  JsonObject invalid;
  EXPECT_FALSE(invalid.valid());
  invalid.addString("k", "v");
  EXPECT_EQ("", invalid.print());

  JsonObject first;
  ASSERT_TRUE(first.create());
  first.addBool("b", true);
  JsonObject second(std::move(first));
  EXPECT_FALSE(first.valid());
  EXPECT_EQ(R"({"b":true})", second.print());
  first = std::move(second);
  EXPECT_EQ(R"({"b":true})", first.print());
  ASSERT_TRUE(first.create());
  EXPECT_EQ("{}", first.print());
  first.destroy();
  EXPECT_FALSE(first.valid());
}

}  // namespace
