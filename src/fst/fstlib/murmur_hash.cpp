#include "fst/fstlib/murmur_hash.h"

#include <cstring>

namespace VemoSDK::Fst {

namespace {

constexpr std::uint32_t kMultiplier = 0x5BD1E995;
constexpr int kShift = 24;

std::uint32_t load32(const unsigned char* p) {
  std::uint32_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

void mix(std::uint32_t& h, std::uint32_t k) {
  k *= kMultiplier;
  k ^= k >> kShift;
  k *= kMultiplier;
  h *= kMultiplier;
  h ^= k;
}

}  // namespace

std::uint64_t murmurHash64B(const void* data, size_t length, std::uint64_t seed) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::uint32_t h1 = static_cast<std::uint32_t>(seed) ^ static_cast<std::uint32_t>(length);
  std::uint32_t h2 = static_cast<std::uint32_t>(seed >> 32);
  while (length >= 8) {
    mix(h1, load32(p));
    mix(h2, load32(p + 4));
    p += 8;
    length -= 8;
  }
  if (length >= 4) {
    mix(h1, load32(p));
    p += 4;
    length -= 4;
  }
  switch (length) {
    case 3: h2 ^= static_cast<std::uint32_t>(p[2]) << 16; [[fallthrough]];
    case 2: h2 ^= static_cast<std::uint32_t>(p[1]) << 8; [[fallthrough]];
    case 1: h2 ^= p[0]; h2 *= kMultiplier;
  }
  h1 ^= h2 >> 18;
  h1 *= kMultiplier;
  h2 ^= h1 >> 22;
  h2 *= kMultiplier;
  h1 ^= h2 >> 17;
  h1 *= kMultiplier;
  h2 ^= h1 >> 19;
  h2 *= kMultiplier;
  return (static_cast<std::uint64_t>(h1) << 32) | h2;
}

}  // namespace VemoSDK::Fst
