#include "http/http_headers.h"

#include <limits>

namespace VemoSDKHttp {
namespace {

bool is_http_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

}  // namespace

std::string_view trim_http_text(std::string_view text) {
  while (!text.empty() && is_http_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_http_space(text.back())) text.remove_suffix(1);
  return text;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool parse_int64(std::string_view text, int64_t& value) {
  text = trim_http_text(text);
  if (text.empty()) return false;
  int64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    int digit = c - '0';
    if (result > (std::numeric_limits<int64_t>::max() - digit) / 10) return false;
    result = result * 10 + digit;
  }
  value = result;
  return true;
}

bool split_header_line(std::string_view line, std::string& name, std::string& value) {
  line = trim_http_text(line);
  size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  name = std::string(trim_http_text(line.substr(0, colon)));
  value = std::string(trim_http_text(line.substr(colon + 1)));
  return !name.empty();
}

bool header_line_named(std::string_view line, std::string_view name) {
  line = trim_http_text(line);
  size_t colon = line.find(':');
  return colon != std::string_view::npos && iequals(trim_http_text(line.substr(0, colon)), name);
}

const char* find_range_header(const curl_slist* headers) {
  for (const curl_slist* item = headers; item; item = item->next)
    if (item->data && header_line_named(item->data, "range")) return item->data;
  return nullptr;
}

vemo::CurlSlist without_range_headers(const curl_slist* headers) {
  vemo::CurlSlist kept;
  for (const curl_slist* item = headers; item; item = item->next) {
    if (!item->data || header_line_named(item->data, "range") || header_line_named(item->data, "if-range"))
      continue;
    if (!vemo::append_header(kept, item->data)) break;
  }
  return kept;
}

bool parse_range_header(std::string_view line, ByteRange& range) {
  size_t colon = line.find(':');
  std::string_view value = trim_http_text(colon == std::string_view::npos ? line : line.substr(colon + 1));
  if (!starts_with_nocase(value, "bytes=")) return false;
  value = trim_http_text(value.substr(6));
  if (value.find(',') != std::string_view::npos) return false;
  size_t dash = value.find('-');
  if (dash == std::string_view::npos) return false;
  ByteRange parsed;
  if (!parse_int64(value.substr(0, dash), parsed.start)) return false;
  std::string_view end = trim_http_text(value.substr(dash + 1));
  if (!end.empty()) {
    if (!parse_int64(end, parsed.end) || parsed.end < parsed.start) return false;
    parsed.has_end = true;
  }
  range = parsed;
  return true;
}

bool content_range_matches(const ByteRange& requested, std::string_view content_range, int64_t total) {
  std::string_view text = trim_http_text(content_range);
  if (text.empty()) return true;
  if (starts_with_nocase(text, "bytes")) text = trim_http_text(text.substr(5));
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) return false;
  std::string_view length_text = trim_http_text(text.substr(slash + 1));
  int64_t full_length = 0;
  if (length_text == "*")
    full_length = total;
  else if (!parse_int64(length_text, full_length))
    return false;
  std::string_view span = text.substr(0, slash);
  size_t dash = span.find('-');
  int64_t start = 0, end = 0;
  if (dash == std::string_view::npos || !parse_int64(span.substr(0, dash), start) ||
      !parse_int64(span.substr(dash + 1), end))
    return false;
  if (start != requested.start) return false;
  return requested.has_end ? end == requested.end : full_length - end == 1;
}

const char* json_header_value(const cJSON* headers, const char* name) {
  if (!headers) return nullptr;
  for (const cJSON* item = headers->child; item; item = item->next)
    if (item->string && cJSON_IsString(item) && iequals(item->string, name)) return item->valuestring;
  return nullptr;
}

}  // namespace VemoSDKHttp
