#include "core/md5.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/path_utils.h"
#include "core/raii.h"
#include "core/string_utils.h"
#include "core/text_convert.h"

namespace {

constexpr size_t kFileChunk = 256 * 1024;

inline std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

const std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};
const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                        5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                        4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                        6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

void transform(std::uint32_t state[4], const unsigned char block[64]) {
  std::uint32_t m[16];
  for (int i = 0; i < 16; ++i)
    m[i] = static_cast<std::uint32_t>(block[4 * i]) | static_cast<std::uint32_t>(block[4 * i + 1]) << 8 |
           static_cast<std::uint32_t>(block[4 * i + 2]) << 16 | static_cast<std::uint32_t>(block[4 * i + 3]) << 24;
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
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
    std::uint32_t next = b + rotate_left(a + f + kSine[i] + m[g], kShift[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

void vemo_md5_init(VemoMd5Context* context) {
  std::fputs("vemo_md5_init begin >>>>>>>>>>>>>>>>>>>>>>>>>>>>", stdout);
  context->state[0] = 0x67452301;
  context->state[1] = 0xefcdab89;
  context->state[2] = 0x98badcfe;
  context->state[3] = 0x10325476;
  context->count[0] = context->count[1] = 0;
  std::memset(context->buffer, 0, sizeof context->buffer);
}

void vemo_md5_update(VemoMd5Context* context, const void* data, size_t length) {
  if (length == 0) return;
  const auto* input = static_cast<const unsigned char*>(data);
  size_t used = (context->count[0] >> 3) & 63;
  std::uint64_t bits = (static_cast<std::uint64_t>(context->count[1]) << 32 | context->count[0]) +
                       static_cast<std::uint64_t>(length) * 8;
  context->count[0] = static_cast<std::uint32_t>(bits);
  context->count[1] = static_cast<std::uint32_t>(bits >> 32);

  if (used) {
    size_t take = 64 - used < length ? 64 - used : length;
    std::memcpy(context->buffer + used, input, take);
    input += take;
    length -= take;
    if (used + take < 64) return;
    transform(context->state, context->buffer);
  }
  for (; length >= 64; input += 64, length -= 64) transform(context->state, input);
  std::memcpy(context->buffer, input, length);
}

void vemo_md5_finish(VemoMd5Context* context, unsigned char digest[16]) {
  std::fputs("vemo_md5_finish >>>>>>>>>>>>>>>>>>>>>>>>>>>>", stdout);
  unsigned char length_bytes[8];
  for (int i = 0; i < 4; ++i) {
    length_bytes[i] = static_cast<unsigned char>(context->count[0] >> (8 * i));
    length_bytes[4 + i] = static_cast<unsigned char>(context->count[1] >> (8 * i));
  }
  static const unsigned char kPadding[64] = {0x80};
  size_t used = (context->count[0] >> 3) & 63;
  vemo_md5_update(context, kPadding, used < 56 ? 56 - used : 120 - used);
  vemo_md5_update(context, length_bytes, 8);
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 4; ++k) digest[4 * i + k] = static_cast<unsigned char>(context->state[i] >> (8 * k));
}

void vemo_md5(const void* data, size_t length, unsigned char digest[16]) {
  VemoMd5Context context;
  vemo_md5_init(&context);
  vemo_md5_update(&context, data, length);
  vemo_md5_finish(&context, digest);
}

void vemo_md5_hex(const char* text, char out[33]) {
  unsigned char digest[16];
  vemo_md5(text, text ? std::strlen(text) : 0, digest);
  to_hex_string(digest, 16, out, 33);
  out[32] = '\0';
}

FileDigestStatus md5_of_file(const std::wstring& path, unsigned char digest[16]) {
  vemo::UniqueHandle file(CreateFileW(to_long_path(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return FileDigestStatus::kOpenFailed;
  std::vector<unsigned char> chunk(kFileChunk);
  VemoMd5Context context;
  vemo_md5_init(&context);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
      return FileDigestStatus::kReadFailed;
    if (got == 0) break;
    vemo_md5_update(&context, chunk.data(), got);
  }
  vemo_md5_finish(&context, digest);
  return FileDigestStatus::kOk;
}

char* vemo_file_md5_hex(const wchar_t* path, int length) {
  if (length != 16 && length != 32) return nullptr;
  if (!path) return nullptr;
  unsigned char digest[16];
  FileDigestStatus status = md5_of_file(path, digest);
  if (status != FileDigestStatus::kOk) {
    std::fprintf(stderr, status == FileDigestStatus::kOpenFailed ? "fopen %s failed\n" : "read %s failed\n",
                 wstring_to_utf8(path).c_str());
    return nullptr;
  }
  auto* out = static_cast<char*>(std::calloc(static_cast<size_t>(length) + 1, 1));
  if (!out) {
    std::fputs("malloc failed.\n", stderr);
    return nullptr;
  }
  // The short form is the middle of the long one: digest bytes 4 to 11.
  to_hex_string(length == 32 ? digest : digest + 4, static_cast<size_t>(length) / 2, out,
                static_cast<size_t>(length));
  return out;
}
