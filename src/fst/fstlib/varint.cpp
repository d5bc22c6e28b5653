#include "fst/fstlib/varint.h"

namespace VemoSDK::Fst {

namespace {

// The fifth group holds bits 28-31 only.
constexpr unsigned kLastGroupLimit = 0x0F;

}  // namespace

void appendForwardVarint(std::string& out, std::uint32_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<char>((value & 0x7F) | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

size_t readForwardVarint(const unsigned char* data, size_t size, std::uint32_t& value) {
  value = 0;
  for (size_t i = 0; i < size && i < kMaxVarintBytes; ++i) {
    unsigned group = data[i] & 0x7F;
    if (i == kMaxVarintBytes - 1 && group > kLastGroupLimit) return 0;
    value |= static_cast<std::uint32_t>(group) << (7 * i);
    if (!(data[i] & 0x80)) return i + 1;
  }
  return 0;
}

void appendReversedVarint(std::string& out, std::uint32_t value) {
  unsigned char groups[kMaxVarintBytes];
  size_t count = 0;
  do {
    groups[count++] = static_cast<unsigned char>(value & 0x7F);
    value >>= 7;
  } while (value);
  out.push_back(static_cast<char>(groups[count - 1] | 0x80));
  for (size_t i = count - 1; i-- > 0;) out.push_back(static_cast<char>(groups[i]));
}

size_t readReversedVarint(const unsigned char* data, size_t last, std::uint32_t& value) {
  value = 0;
  for (size_t i = 0; i < kMaxVarintBytes && i <= last; ++i) {
    unsigned char byte = data[last - i];
    unsigned group = byte & 0x7F;
    if (i == kMaxVarintBytes - 1 && group > kLastGroupLimit) return 0;
    value |= static_cast<std::uint32_t>(group) << (7 * i);
    if (byte & 0x80) return i + 1;
  }
  return 0;
}

}  // namespace VemoSDK::Fst
