#pragma once
// SHA-256 digests (FIPS 180-4) of buffers.
#include <cstddef>
#include <cstdint>
#include <string>

struct VemoSha256Context {
  std::uint32_t state[8];
  std::uint64_t bytes;  // processed so far
  unsigned char buffer[64];
};

void vemo_sha256_init(VemoSha256Context* context);
void vemo_sha256_update(VemoSha256Context* context, const void* data, size_t length);
void vemo_sha256_finish(VemoSha256Context* context, unsigned char digest[32]);
void vemo_sha256(const void* data, size_t length, unsigned char digest[32]);
