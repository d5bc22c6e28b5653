#pragma once
// DES (FIPS 46-3) on single 8-byte blocks, for the scripts' ECB helpers.
#include <cstdint>

struct DesKeySchedule {
  std::uint64_t subkeys[16];  // 48-bit round keys
};

void des_key_schedule(const unsigned char key[8], DesKeySchedule* schedule);
// Enciphers (or, with decrypt, deciphers) one block; in and out may be the same.
void des_block(const DesKeySchedule& schedule, const unsigned char in[8], unsigned char out[8], bool decrypt);
