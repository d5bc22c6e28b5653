#pragma once
// The RC4 stream cipher, as the enciphered configuration, the key store and
// the scripts' crypt module use it.
#include <cstddef>
#include <cstdint>

// 256 permutation entries and the two indices: 258 words, advanced in place by each use.
struct Rc4State {
  std::uint32_t s[256];
  std::uint32_t i;
  std::uint32_t j;
};

// The key schedule; a key needs at least one byte (false otherwise).
bool rc4_init(Rc4State* state, const unsigned char* key, size_t key_length);
// XORs length bytes of data with the next bytes of the stream into out (may be data).
void rc4_apply(Rc4State* state, const unsigned char* data, size_t length, unsigned char* out);
// The data XORed with a fresh stream of the key, in a malloc'd buffer of
// length bytes (caller frees); null for an empty key or no memory.
unsigned char* rc4_crypt_buffer(const unsigned char* key, size_t key_length, const unsigned char* data,
                                size_t length);
