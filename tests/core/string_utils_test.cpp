#include "core/owners.h"
#include "core/string_utils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/json_utils.h"
#include "core/win_utils.h"

namespace {

TEST(CompareVersion, TableOfCases) {
  struct Case {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"1.2", "1.2.0", 0},     {"2.0.1", "2.0.10", -1}, {"1.10", "1.9", 1},  {"1.0.9", "1.0.9", 0},
      {"", "0", 0},            {"1", "", 1},            {"3.0.14", "3.1", -1}, {"1.x", "1.0", 0},
      {"1.2.3.4", "1.2.3", 1}, {"99999999999", "1", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compare_version(c.a, c.b), c.expected) << c.a << " vs " << c.b;
    EXPECT_EQ(compare_version(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
  }
}

TEST(SplitString, KeepsEmptyPiecesAndSurvivesAnEmptySeparator) {
  using V = std::vector<std::string>;
  EXPECT_EQ(split_string("a,,b,", ","), (V{"a", "", "b", ""}));
  EXPECT_EQ(split_string("a::b", "::"), (V{"a", "b"}));
  EXPECT_EQ(split_string("", ","), (V{""}));
  EXPECT_EQ(split_string("abc", ""), (V{"abc"}));
}

TEST(UrlDecode, TableOfCases) {
  const std::pair<std::string, std::string> cases[] = {
      {"a%2Fb+c%zz", "a/b c%zz"}, {"%41%62", "Ab"}, {"%e4%B8%ad", u8"\u4e2d"},
      {"100%", "100%"},           {"%4", "%4"},     {"", ""},
      {"%00x", std::string("\0x", 2)},
  };
  for (const auto& [in, expected] : cases) {
    EXPECT_EQ(url_decode(in), expected) << in;
    std::string out(in.size() + 1, '#');
    url_decode(out.data(), in.c_str());
    EXPECT_STREQ(out.c_str(), expected.c_str()) << in;
  }
}

TEST(ToHexString, WritesLowercaseOrRefusesASmallBuffer) {
  const unsigned char data[] = {0x00, 0x7f, 0xab, 0xff};
  EXPECT_EQ(to_hex_string(data, 4, nullptr, 0), 8u);
  char out[9] = "########";
  EXPECT_EQ(to_hex_string(data, 4, out, 8), 8u);
  EXPECT_EQ(std::string(out, 8), "007fabff");
  EXPECT_EQ(out[8], '\0');  // untouched: no terminator is written

  char small[7] = "######";
  SetLastError(0);
  EXPECT_EQ(to_hex_string(data, 4, small, 7), 0u);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(small[1], '#');
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(to_hex_string(data, 4), "007fabff");
  EXPECT_EQ(to_hex_string(data, 0), "");
}

TEST(StringTests, PrefixesSuffixesAndCase) {
  EXPECT_TRUE(string_starts_with("vemosdk", "vemo"));
  EXPECT_FALSE(string_starts_with("vem", "vemo"));
  EXPECT_TRUE(wstring_starts_with(L"abc", L""));
  EXPECT_TRUE(wstring_ends_with(L"file.json", L".json"));
  EXPECT_FALSE(wstring_ends_with(L"on", L".json"));
  char text[] = "MiXeD 1";
  str_to_lower(text);
  EXPECT_STREQ(text, "mixed 1");
  str_to_upper(text);
  EXPECT_STREQ(text, "MIXED 1");
  str_to_lower(nullptr);
}

TEST(JsonGetters, AbsentOrWrongTypeGivesTheDefault) {
  vemo::JsonPtr owner(cJSON_Parse(R"({"n": 42, "s": "text", "wrong": "7"})"));
  const cJSON* object = owner.get();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(json_get_int(object, "n"), 42);
  EXPECT_EQ(json_get_int(object, "wrong"), 0);
  EXPECT_EQ(json_get_int(object, "missing"), 0);
  EXPECT_EQ(json_get_int(nullptr, "n"), 0);
  EXPECT_STREQ(json_get_string(object, "s"), "text");
  EXPECT_EQ(json_get_string(object, "n"), nullptr);
  EXPECT_EQ(json_get_string(nullptr, "s"), nullptr);
}

TEST(WindowsTexts, ErrorTextsAndGuids) {
  std::wstring text = windows_error_text(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), L'\n');
  EXPECT_NE(text.back(), L'\r');
  EXPECT_EQ(windows_error_text(0x2BADF00D), L"Unknown error 2BADF00D");
  const GUID guid = {0x12345678, 0x9abc, 0xdef0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};
  EXPECT_EQ(guid_to_string(guid), L"{12345678-9ABC-DEF0-0123-456789ABCDEF}");
}

}  // namespace
