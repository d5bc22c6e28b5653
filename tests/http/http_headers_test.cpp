// Header lines of requests and answers: what makes a download a resume, and
// whether an answer's Content-Range is the range asked for.
#include <gtest/gtest.h>

#include "core/owners.h"
#include "http/download_params.h"
#include "http/http_headers.h"

namespace VemoSDKHttp {
namespace {

vemo::CurlSlist header_list(std::initializer_list<const char*> lines) {
  vemo::CurlSlist list;
  for (const char* line : lines) vemo::append_header(list, line);
  return list;
}

std::vector<std::string> lines_of(const curl_slist* list) {
  std::vector<std::string> out;
  for (; list; list = list->next) out.push_back(list->data);
  return out;
}

TEST(HeaderLineTest, SplitsAtTheFirstColonAndTrims) {
  struct Case {
    const char* line;
    bool ok;
    const char* name;
    const char* value;
  } cases[] = {
      {"Content-Length: 42\r\n", true, "Content-Length", "42"},
      {"  ETag:\t\"abc\"  \r\n", true, "ETag", "\"abc\""},
      {"Location: http://h:8/x?a=b\r\n", true, "Location", "http://h:8/x?a=b"},
      {"X-Empty:\r\n", true, "X-Empty", ""},
      {": no name\r\n", false, "", ""},
      {"HTTP/1.1 200 OK\r\n", false, "", ""},
      {"\r\n", false, "", ""},
  };
  for (const Case& c : cases) {
    std::string name, value;
    EXPECT_EQ(c.ok, split_header_line(c.line, name, value)) << c.line;
    if (c.ok) {
      EXPECT_EQ(c.name, name) << c.line;
      EXPECT_EQ(c.value, value) << c.line;
    }
  }
}

TEST(HeaderLineTest, OnlyARangeLineMakesAResume) {
  struct Case {
    std::initializer_list<const char*> lines;
    const char* range_line;  // null: not a resume
  } cases[] = {
      {{"Range: bytes=10-"}, "Range: bytes=10-"},
      {{"range: bytes=10-"}, "range: bytes=10-"},
      {{"RANGE:bytes=5-9"}, "RANGE:bytes=5-9"},
      {{"X-Note: arrange the range", "Accept: */*"}, nullptr},
      {{"If-Range: \"etag\""}, nullptr},
      {{"if-range: \"etag\"", "range: bytes=7-"}, "range: bytes=7-"},
      {{"X-Ranger: 1"}, nullptr},
      {{}, nullptr},
  };
  for (const Case& c : cases) {
    vemo::CurlSlist list = header_list(c.lines);
    const char* found = find_range_header(list.get());
    if (c.range_line) {
      ASSERT_NE(nullptr, found);
      EXPECT_STREQ(c.range_line, found);
    } else {
      EXPECT_EQ(nullptr, found) << found;
    }
    EXPECT_EQ(c.range_line != nullptr, has_range_header(list.get()));
  }
}

TEST(HeaderLineTest, RestartDropsRangeAndIfRangeOnly) {
  vemo::CurlSlist list = header_list({"range: bytes=10-", "X-Keep: range", "IF-RANGE: \"e\"", "Authorization: t"});
  vemo::CurlSlist kept = without_range_headers(list.get());
  EXPECT_EQ((std::vector<std::string>{"X-Keep: range", "Authorization: t"}), lines_of(kept.get()));
}

TEST(RangeHeaderTest, ReadsASingleByteRange) {
  struct Case {
    const char* line;
    bool ok;
    int64_t start, end;
    bool has_end;
  } cases[] = {
      {"Range: bytes=1024-", true, 1024, 0, false},
      {"range:bytes=0-99", true, 0, 99, true},
      {"Range: bytes= 5 - 5 ", true, 5, 5, true},
      {"Range: bytes=6442450944-", true, 6442450944LL, 0, false},  // beyond 32 bits
      {"Range: bytes=-500", false, 0, 0, false},
      {"Range: bytes=abc-", false, 0, 0, false},
      {"Range: bytes=9-3", false, 0, 0, false},
      {"Range: bytes=0-1,5-6", false, 0, 0, false},
      {"Range: items=0-", false, 0, 0, false},
  };
  for (const Case& c : cases) {
    ByteRange range;
    ASSERT_EQ(c.ok, parse_range_header(c.line, range)) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(c.start, range.start) << c.line;
    EXPECT_EQ(c.end, range.end) << c.line;
    EXPECT_EQ(c.has_end, range.has_end) << c.line;
  }
}

TEST(RangeHeaderTest, ContentRangeMustAnswerTheRequestedRange) {
  ByteRange open_ended{100, 0, false};
  ByteRange closed{100, 199, true};
  struct Case {
    const ByteRange* requested;
    const char* content_range;
    int64_t total;
    bool accepted;
  } cases[] = {
      {&open_ended, "bytes 100-999/1000", 1000, true},
      {&open_ended, "bytes 100-999/*", 1000, true},
      {&open_ended, "", 1000, true},
      {&open_ended, "bytes 101-999/1000", 1000, false},  // starts one byte late
      {&open_ended, "bytes 100-998/1000", 1000, false},  // stops short of the end
      {&open_ended, "bytes 100-999", 1000, false},       // no length
      {&open_ended, "bytes */1000", 1000, false},
      {&closed, "bytes 100-199/1000", 1000, true},
      {&closed, "bytes 100-999/1000", 1000, false},
      {&open_ended, "bytes 100-5368709119/5368709120", 0, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.accepted, content_range_matches(*c.requested, c.content_range, c.total)) << c.content_range;
}

TEST(RangeHeaderTest, JsonHeaderNamesIgnoreCase) {
  vemo::JsonPtr headers(cJSON_Parse(R"({"content-length":"12","ETag":"\"x\""})"));
  EXPECT_STREQ("12", json_header_value(headers.get(), "Content-Length"));
  EXPECT_STREQ("\"x\"", json_header_value(headers.get(), "etag"));
  EXPECT_EQ(nullptr, json_header_value(headers.get(), "Last-Modified"));
}

TEST(DownloadParamsTest, TextIsCutToItsFieldWithoutSplittingACharacter) {
  char field[6];
  EXPECT_TRUE(set_param_text(field, "abcde"));
  EXPECT_STREQ("abcde", field);
  EXPECT_FALSE(set_param_text(field, "abcdef"));
  EXPECT_STREQ("abcde", field);
  // A three-byte character after "abc" does not fit into the five bytes
  // left for text: it is left out whole.
  EXPECT_FALSE(set_param_text(field, "abc\xE4\xB8\xADx"));
  EXPECT_STREQ("abc", field);
  DownloadParams params{};
  EXPECT_FALSE(set_param_text(params.taskId, std::string(40, 't')));
  EXPECT_EQ(std::string(32, 't'), param_text(params.taskId));
}

}  // namespace
}  // namespace VemoSDKHttp
