#include "core/sha1.h"

#include <cstring>

namespace {

inline std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void transform(std::uint32_t state[5], const unsigned char block[64]) {
  std::uint32_t w[80];
  for (int i = 0; i < 16; ++i)
    w[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 | static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
           static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | static_cast<std::uint32_t>(block[4 * i + 3]);
  for (int i = 16; i < 80; ++i) w[i] = rotate_left(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
  for (int i = 0; i < 80; ++i) {
    std::uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5a827999;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ed9eba1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8f1bbcdc;
    } else {
      f = b ^ c ^ d;
      k = 0xca62c1d6;
    }
    std::uint32_t t = rotate_left(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = rotate_left(b, 30);
    b = a;
    a = t;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
}

}  // namespace

void vemo_sha1_init(VemoSha1Context* context) {
  static const std::uint32_t kInitial[5] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
  std::memcpy(context->state, kInitial, sizeof kInitial);
  context->bytes = 0;
}

void vemo_sha1_update(VemoSha1Context* context, const void* data, size_t length) {
  const auto* input = static_cast<const unsigned char*>(data);
  size_t used = static_cast<size_t>(context->bytes % 64);
  context->bytes += length;
  if (used > 0) {
    size_t take = 64 - used < length ? 64 - used : length;
    std::memcpy(context->buffer + used, input, take);
    input += take;
    length -= take;
    if (used + take < 64) return;
    transform(context->state, context->buffer);
  }
  for (; length >= 64; input += 64, length -= 64) transform(context->state, input);
  if (length > 0) std::memcpy(context->buffer, input, length);
}

void vemo_sha1_finish(VemoSha1Context* context, unsigned char digest[20]) {
  std::uint64_t bits = context->bytes * 8;
  unsigned char padding[72] = {0x80};
  size_t used = static_cast<size_t>(context->bytes % 64);
  size_t pad = used < 56 ? 56 - used : 120 - used;
  vemo_sha1_update(context, padding, pad);
  unsigned char length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  vemo_sha1_update(context, length, sizeof length);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<unsigned char>(context->state[i] >> (24 - 8 * j));
}

void vemo_sha1(const void* data, size_t length, unsigned char digest[20]) {
  VemoSha1Context context;
  vemo_sha1_init(&context);
  vemo_sha1_update(&context, data, length);
  vemo_sha1_finish(&context, digest);
}
