#include "core/sha256.h"

#include <cstring>

namespace {

const std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

inline std::uint32_t rotate_right(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void transform(std::uint32_t state[8], const unsigned char block[64]) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 | static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
           static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | static_cast<std::uint32_t>(block[4 * i + 3]);
  for (int i = 16; i < 64; ++i) {
    std::uint32_t s0 = rotate_right(w[i - 15], 7) ^ rotate_right(w[i - 15], 18) ^ (w[i - 15] >> 3);
    std::uint32_t s1 = rotate_right(w[i - 2], 17) ^ rotate_right(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
  for (int i = 0; i < 64; ++i) {
    std::uint32_t s1 = rotate_right(e, 6) ^ rotate_right(e, 11) ^ rotate_right(e, 25);
    std::uint32_t choose = (e & f) ^ (~e & g);
    std::uint32_t t1 = h + s1 + choose + kRound[i] + w[i];
    std::uint32_t s0 = rotate_right(a, 2) ^ rotate_right(a, 13) ^ rotate_right(a, 22);
    std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    std::uint32_t t2 = s0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
  state[5] += f;
  state[6] += g;
  state[7] += h;
}

}  // namespace

void vemo_sha256_init(VemoSha256Context* context) {
  static const std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::memcpy(context->state, kInitial, sizeof kInitial);
  context->bytes = 0;
}

void vemo_sha256_update(VemoSha256Context* context, const void* data, size_t length) {
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

void vemo_sha256_finish(VemoSha256Context* context, unsigned char digest[32]) {
  std::uint64_t bits = context->bytes * 8;
  unsigned char padding[72] = {0x80};
  size_t used = static_cast<size_t>(context->bytes % 64);
  size_t pad = used < 56 ? 56 - used : 120 - used;
  vemo_sha256_update(context, padding, pad);
  unsigned char length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  vemo_sha256_update(context, length, sizeof length);
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<unsigned char>(context->state[i] >> (24 - 8 * j));
}

void vemo_sha256(const void* data, size_t length, unsigned char digest[32]) {
  VemoSha256Context context;
  vemo_sha256_init(&context);
  vemo_sha256_update(&context, data, length);
  vemo_sha256_finish(&context, digest);
}
