#pragma once
// The 64-bit text hash, keyed hash and Diffie-Hellman exchange of the scripts'
// crypt module. 64-bit values travel as 8 little-endian bytes.
#include <cstddef>
#include <cstdint>

// Two 32-bit hashes of the text (times-33 and shift-XOR), low one first.
void hash64_of_text(const unsigned char* text, size_t length, unsigned char out[8]);
// The 64 MD5 steps over a block built from x and y, without the final
// addition: (c ^ d, a ^ b).
void keyed_hash64(const unsigned char x[8], const unsigned char y[8], unsigned char out[8]);

// The exchange's modulus 2^64 - 59 and generator.
constexpr std::uint64_t kDhModulus = 0xFFFFFFFFFFFFFFC5ull;
constexpr std::uint64_t kDhGenerator = 5;
// base^exponent mod kDhModulus, without ever overflowing 64 bits.
std::uint64_t dh_power(std::uint64_t base, std::uint64_t exponent);

std::uint64_t load_le64(const unsigned char bytes[8]);
void store_le64(std::uint64_t value, unsigned char bytes[8]);
