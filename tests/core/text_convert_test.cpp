#include "core/text_convert.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const std::string kMixedUtf8 = u8"ascii \u00e9 \u4e2d\u6587 \U0001F600";
const std::wstring kMixedWide = L"ascii \u00e9 \u4e2d\u6587 \U0001F600";

TEST(TextConvert, Utf8AndUtf16RoundTrip) {
  EXPECT_EQ(utf8_to_wstring(kMixedUtf8), kMixedWide);
  EXPECT_EQ(wstring_to_utf8(kMixedWide), kMixedUtf8);
  EXPECT_EQ(wstring_to_utf8_checked(kMixedWide), kMixedUtf8);
  EXPECT_EQ(utf8_to_wstring(std::string()), L"");
  EXPECT_EQ(utf8_to_wstring(static_cast<const char*>(nullptr)), L"");
  EXPECT_EQ(wstring_to_utf8(static_cast<const wchar_t*>(nullptr)), "");
}

TEST(TextConvert, CheckedConversionRefusesALoneSurrogate) {
  std::wstring broken = L"ab";
  broken += static_cast<wchar_t>(0xD800);
  EXPECT_EQ(wstring_to_utf8_checked(broken), "");
  EXPECT_FALSE(wstring_to_utf8(broken).empty());  // the lenient form replaces it
}

TEST(TextConvert, WideBufferTakesTheCountAndRefusesWhatDoesNotFit) {
  wchar_t buffer[8];
  EXPECT_EQ(utf8_to_wide_buf(u8"\u4e2dab", buffer, 8), 3);
  EXPECT_EQ(std::wstring(buffer), L"\u4e2dab");
  EXPECT_EQ(utf8_to_wide_buf("12345678", buffer, 8), 0);  // 8 characters + terminator
  EXPECT_EQ(buffer[0], L'\0');
  EXPECT_EQ(utf8_to_wide_buf(nullptr, buffer, 8), 0);
}

TEST(TextConvert, DupFormsGiveNullForNullOrEmpty) {
  EXPECT_EQ(utf8_to_wide_dup(nullptr), nullptr);
  EXPECT_EQ(utf8_to_wide_dup(""), nullptr);
  EXPECT_EQ(wide_to_utf8_dup(L""), nullptr);
  EXPECT_EQ(vemo_strdup(""), nullptr);
  EXPECT_EQ(ansi_to_wide_dup(nullptr), nullptr);

  wchar_t* wide = utf8_to_wide_dup(kMixedUtf8.c_str());
  char* narrow = wide_to_utf8_dup(wide);
  char* copy = vemo_strdup("copy");
  wchar_t* ansi = ansi_to_wide_dup("plain");
  EXPECT_EQ(std::wstring(wide), kMixedWide);
  EXPECT_EQ(std::string(narrow), kMixedUtf8);
  EXPECT_EQ(std::string(copy), "copy");
  EXPECT_EQ(std::wstring(ansi), L"plain");
  vemo_delete_array(wide);
  vemo_delete_array(narrow);
  vemo_delete_array(copy);
  vemo_delete_array(ansi);
}

TEST(TextConvert, CodePageConversionGoesThroughUtf16) {
  // 1252 and 936 have fixed tables, whatever the system's ANSI code page is.
  EXPECT_EQ(convert_code_page(CP_UTF8, 1252, u8"caf\u00e9"), "caf\xe9");
  EXPECT_EQ(convert_code_page(1252, CP_UTF8, "caf\xe9"), u8"caf\u00e9");
  EXPECT_EQ(convert_code_page(CP_UTF8, 936, u8"\u4e2d"), "\xd6\xd0");
  EXPECT_EQ(convert_code_page(CP_UTF8, CP_ACP, ""), "");
}

TEST(TextConvert, TruncateNeverSplitsASequence) {
  const struct {
    std::string text;
    size_t max;
    std::string expected;
  } cases[] = {
      {"abcdef", 3, "abc"},
      {u8"ab\u4e2d", 4, "ab"},  // the 3-byte character does not fit
      {u8"ab\u4e2d", 5, u8"ab\u4e2d"},
      {u8"\U0001F600x", 3, ""},
      {"short", 50, "short"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    utf8_truncate(text, c.max);
    EXPECT_EQ(text, c.expected) << c.text << " / " << c.max;
  }
}

}  // namespace
