#include "core/base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::vector<unsigned char> base64_decode_string(const std::string& text) {
  std::vector<unsigned char> out;
  out.reserve(text.size() / 4 * 3 + 2);
  unsigned group = 0;
  int filled = 0;
  for (unsigned char c : text) {
    int value = sextet(c);
    if (value < 0) break;  // "=" or anything outside the alphabet ends the data
    group = (group << 6) | static_cast<unsigned>(value);
    if (++filled == 4) {
      out.push_back(static_cast<unsigned char>(group >> 16));
      out.push_back(static_cast<unsigned char>(group >> 8));
      out.push_back(static_cast<unsigned char>(group));
      group = 0;
      filled = 0;
    }
  }
  if (filled >= 2) {
    group <<= 6 * (4 - filled);
    out.push_back(static_cast<unsigned char>(group >> 16));
    if (filled == 3) out.push_back(static_cast<unsigned char>(group >> 8));
  }
  return out;
}

std::string base64_encode(const void* data, size_t length) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  for (size_t i = 0; i < length; i += 3) {
    unsigned group = static_cast<unsigned>(bytes[i]) << 16;
    if (i + 1 < length) group |= static_cast<unsigned>(bytes[i + 1]) << 8;
    if (i + 2 < length) group |= bytes[i + 2];
    out += kAlphabet[(group >> 18) & 63];
    out += kAlphabet[(group >> 12) & 63];
    out += i + 1 < length ? kAlphabet[(group >> 6) & 63] : '=';
    out += i + 2 < length ? kAlphabet[group & 63] : '=';
  }
  return out;
}
