#pragma once
// Header lines of requests and answers: splitting, the Range line of a
// resumed download and the check of the answer's Content-Range.
#include <cjson/cJSON.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/owners.h"

namespace VemoSDKHttp {

// Without leading and trailing spaces, tabs, carriage returns and line feeds.
std::string_view trim_http_text(std::string_view text);
bool iequals(std::string_view a, std::string_view b);
// Decimal digits only (after trimming); false for anything else or an overflow.
bool parse_int64(std::string_view text, int64_t& value);

// "Name: value" split at its first ':' into trimmed parts; false when there is
// no ':' or it is the first character.
bool split_header_line(std::string_view line, std::string& name, std::string& value);
// Whether the line's name (the text before ':') is `name`, without regard to case.
bool header_line_named(std::string_view line, std::string_view name);

// The first "Range:" line of a request (any case), or null. Only a Range line
// makes a download a resume; a value that mentions "range" does not.
const char* find_range_header(const curl_slist* headers);
inline bool has_range_header(const curl_slist* headers) { return find_range_header(headers) != nullptr; }
// The request's list without its Range and If-Range lines, so that a
// download starts again from byte 0.
vemo::CurlSlist without_range_headers(const curl_slist* headers);

struct ByteRange {
  int64_t start = 0;
  int64_t end = 0;
  bool has_end = false;
};
// Reads the single range "bytes=N-" or "bytes=N-M" of a Range line; false when
// the line holds no such range.
bool parse_range_header(std::string_view line, ByteRange& range);
// Whether an answer's Content-Range ("bytes a-b/len", "*" as len meaning
// total) is the requested range. An empty Content-Range is accepted.
bool content_range_matches(const ByteRange& requested, std::string_view content_range, int64_t total);

// Value of a header in a JSON object of name -> text, names compared without
// regard to case; null when absent.
const char* json_header_value(const cJSON* headers, const char* name);

}  // namespace VemoSDKHttp
