#include "lua/crypt/hash64.h"

#include <cmath>

namespace {

std::uint32_t load_le32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void store_le32(std::uint32_t value, unsigned char* bytes) {
  for (int n = 0; n < 4; ++n) bytes[n] = static_cast<unsigned char>(value >> (8 * n));
}

inline std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// MD5's sine constants: floor(|sin(i + 1)| * 2^32), exact in double precision.
struct SineTable {
  std::uint32_t k[64];
  SineTable() {
    for (int i = 0; i < 64; ++i) k[i] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
  }
};

const unsigned char kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                  5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                  4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                  6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

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
  static const SineTable sine;
  std::uint32_t w[16];
  for (int i = 0; i < 16; i += 4) {
    w[i] = load_le32(x + 4);
    w[i + 1] = load_le32(x);
    w[i + 2] = load_le32(y + 4);
    w[i + 3] = load_le32(y);
  }
  std::uint32_t a = 0x67452301, b = 0xefcdab89, c = 0x98badcfe, d = 0x10325476;
  for (int i = 0; i < 64; ++i) {
    std::uint32_t f;
    int g;
    if (i < 16) {
      f = (b & c) | (~b & d);
      g = i;
    } else if (i < 32) {
      f = (d & b) | (~d & c);
      g = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = b ^ c ^ d;
      g = (3 * i + 5) % 16;
    } else {
      f = c ^ (b | ~d);
      g = (7 * i) % 16;
    }
    std::uint32_t temp = d;
    d = c;
    c = b;
    b = b + rotate_left(a + f + sine.k[i] + w[g], kShift[i]);
    a = temp;
  }
  store_le32(c ^ d, out);
  store_le32(a ^ b, out + 4);
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
