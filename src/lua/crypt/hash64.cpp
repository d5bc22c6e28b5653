#include "lua/crypt/hash64.h"

#include <cstring>

#include "core/md5.h"

namespace {

std::uint32_t load_le32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void store_le32(std::uint32_t value, unsigned char* bytes) {
  for (int n = 0; n < 4; ++n) bytes[n] = static_cast<unsigned char>(value >> (8 * n));
}

// x + y mod the modulus, for x, y below it.
std::uint64_t add_mod(std::uint64_t x, std::uint64_t y) {
  return x >= kDhModulus - y ? x - (kDhModulus - y) : x + y;
}

std::uint64_t multiply_mod(std::uint64_t x, std::uint64_t y) {
  std::uint64_t result = 0;
  for (int bit = 63; bit >= 0; --bit) {
    result = add_mod(result, result);
    if ((y >> bit) & 1) result = add_mod(result, x);
  }
  return result;
}

}  // namespace

std::uint64_t load_le64(const unsigned char bytes[8]) {
  return static_cast<std::uint64_t>(load_le32(bytes)) | static_cast<std::uint64_t>(load_le32(bytes + 4)) << 32;
}

void store_le64(std::uint64_t value, unsigned char bytes[8]) {
  store_le32(static_cast<std::uint32_t>(value), bytes);
  store_le32(static_cast<std::uint32_t>(value >> 32), bytes + 4);
}

void hash64_of_text(const unsigned char* text, size_t length, unsigned char out[8]) {
  std::uint32_t h1 = 5381, h2 = 1315423911;
  for (size_t n = 0; n < length; ++n) {
    h1 = h1 * 33 + text[n];
    h2 ^= (h2 << 5) + text[n] + (h2 >> 2);
  }
  store_le32(h1, out);
  store_le32(h2, out + 4);
}

void keyed_hash64(const unsigned char x[8], const unsigned char y[8], unsigned char out[8]) {
  // The block is x and y with their 32-bit halves swapped, four times over.
  unsigned char block[64];
  for (int at = 0; at < 64; at += 16) {
    std::memcpy(block + at, x + 4, 4);
    std::memcpy(block + at + 4, x, 4);
    std::memcpy(block + at + 8, y + 4, 4);
    std::memcpy(block + at + 12, y, 4);
  }
  std::uint32_t state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  md5_rounds(state, block);
  store_le32(state[2] ^ state[3], out);
  store_le32(state[0] ^ state[1], out + 4);
}

std::uint64_t dh_power(std::uint64_t base, std::uint64_t exponent) {
  base %= kDhModulus;
  std::uint64_t result = 1;
  for (int bit = 63; bit >= 0; --bit) {
    result = multiply_mod(result, result);
    if ((exponent >> bit) & 1) result = multiply_mod(result, base);
  }
  return result;
}
