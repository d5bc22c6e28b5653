#include "lua/crypt/strict_codecs.h"

#include <cstdio>

namespace {

int sextet(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int lower_hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

constexpr int kPadding = -2;

}  // namespace

bool strict_hex_decode(const std::string& text, std::string& out, std::string& error) {
  out.clear();
  if (text.size() % 2) {
    char message[64];
    std::snprintf(message, sizeof message, "Invalid hex text size %d", static_cast<int>(text.size()));
    error = message;
    return false;
  }
  out.reserve(text.size() / 2);
  for (size_t n = 0; n < text.size(); n += 2) {
    int high = lower_hex_value(text[n]), low = lower_hex_value(text[n + 1]);
    if (high < 0 || low < 0) {
      error = "Invalid hex text";
      return false;
    }
    out.push_back(static_cast<char>(high << 4 | low));
  }
  return true;
}

bool strict_base64_decode(const std::string& text, std::string& out, std::string& error) {
  out.clear();
  error = "Invalid base64 text";
  int group[4];
  int filled = 0;
  bool ended = false;  // a padded group closes the text
  for (unsigned char c : text) {
    int value = c == '=' ? kPadding : sextet(c);
    if (value == -1) continue;
    if (ended) return false;
    group[filled++] = value;
    if (filled < 4) continue;
    filled = 0;
    if (group[0] < 0 || group[1] < 0) return false;
    unsigned bits = static_cast<unsigned>(group[0]) << 18 | static_cast<unsigned>(group[1]) << 12;
    if (group[2] == kPadding) {
      // Two "=": one byte, and the second character carries no loose bits.
      if (group[3] != kPadding || (group[1] & 0x0F)) return false;
      out.push_back(static_cast<char>(bits >> 16));
      ended = true;
    } else if (group[3] == kPadding) {
      if (group[2] & 0x03) return false;
      bits |= static_cast<unsigned>(group[2]) << 6;
      out.push_back(static_cast<char>(bits >> 16));
      out.push_back(static_cast<char>(bits >> 8));
      ended = true;
    } else {
      bits |= static_cast<unsigned>(group[2]) << 6 | static_cast<unsigned>(group[3]);
      out.push_back(static_cast<char>(bits >> 16));
      out.push_back(static_cast<char>(bits >> 8));
      out.push_back(static_cast<char>(bits));
    }
  }
  if (filled) return false;
  error.clear();
  return true;
}
