#include "core/string_utils.h"

#include <windows.h>

#include <cctype>
#include <climits>

#include "core/debug_log.h"

std::vector<std::string> split_string(const std::string& text, const std::string& separator) {
  std::vector<std::string> pieces;
  if (separator.empty()) {
    pieces.push_back(text);
    return pieces;
  }
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

namespace {

// Leading decimal digits of a field, as atoi reads them; saturates instead of overflowing.
long long version_field(const std::vector<std::string>& fields, size_t index) {
  if (index >= fields.size()) return 0;
  const std::string& field = fields[index];
  size_t i = 0;
  while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) ++i;
  bool negative = i < field.size() && field[i] == '-';
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) ++i;
  long long value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + (field[i] - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  return negative ? -value : value;
}

}  // namespace

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int compare_version(const std::string& a, const std::string& b) {
  std::vector<std::string> left = split_string(a, "."), right = split_string(b, ".");
  size_t count = left.size() > right.size() ? left.size() : right.size();
  for (size_t i = 0; i < count; ++i) {
    long long x = version_field(left, i), y = version_field(right, i);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool string_starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool wstring_starts_with(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool wstring_ends_with(const std::wstring& text, const std::wstring& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string url_decode(const std::string& in) {
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size();) {
    int high = -1, low = -1;
    if (in[i] == '%' && i + 2 < in.size() && (high = hex_digit_value(in[i + 1])) >= 0 &&
        (low = hex_digit_value(in[i + 2])) >= 0) {
      out += static_cast<char>(high * 16 + low);
      i += 3;
    } else {
      out += in[i] == '+' ? ' ' : in[i];
      ++i;
    }
  }
  return out;
}

void url_decode(char* out, const char* in) {
  if (!out) return;
  std::string decoded = url_decode(std::string(in ? in : ""));
  decoded.copy(out, decoded.size());
  out[decoded.size()] = '\0';
}

size_t to_hex_string(const unsigned char* data, size_t length, char* out, size_t out_size) {
  size_t needed = 2 * length;
  if (!out || out_size == 0) return needed;
  if (out_size < needed) {
    out[0] = '\0';
    vemo_debug_printf("to_hex_string failed, out_size is small than %d\n", static_cast<int>(needed));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  static const char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < length; ++i) {
    out[2 * i] = kDigits[data[i] >> 4];
    out[2 * i + 1] = kDigits[data[i] & 0x0F];
  }
  return needed;
}

std::string to_hex_string(const void* data, size_t length) {
  std::string out(2 * length, '\0');
  if (length) to_hex_string(static_cast<const unsigned char*>(data), length, out.data(), out.size());
  return out;
}

void str_to_lower(char* text) {
  for (; text && *text; ++text) *text = static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
}

void str_to_upper(char* text) {
  for (; text && *text; ++text) *text = static_cast<char>(std::toupper(static_cast<unsigned char>(*text)));
}
