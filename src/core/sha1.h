#pragma once
// SHA-1 digests (FIPS 180-4) of buffers, for the scripts' HMAC-SHA1.
#include <cstddef>
#include <cstdint>

struct VemoSha1Context {
  std::uint32_t state[5];
  std::uint64_t bytes;  // processed so far
  unsigned char buffer[64];
};

void vemo_sha1_init(VemoSha1Context* context);
void vemo_sha1_update(VemoSha1Context* context, const void* data, size_t length);
void vemo_sha1_finish(VemoSha1Context* context, unsigned char digest[20]);
void vemo_sha1(const void* data, size_t length, unsigned char digest[20]);
