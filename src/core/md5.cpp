#include "core/md5.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/owners.h"
#include "core/path_utils.h"
#include "core/string_utils.h"
#include "core/text_convert.h"

namespace {

constexpr size_t kFileChunk = 256 * 1024;

// What init and finish print (no newline), back to back, so that a digest
// made in one call writes both with one write: the programs' standard
// output is unbuffered, and the crypt module's stream cipher digests every
// 16 bytes.
constexpr char kDigestPrints[] =
    "vemo_md5_init begin >>>>>>>>>>>>>>>>>>>>>>>>>>>>"
    "vemo_md5_finish >>>>>>>>>>>>>>>>>>>>>>>>>>>>";
constexpr size_t kInitPrintLength = 48;
static_assert(kDigestPrints[kInitPrintLength] == 'v', "the finish print starts after the init print");

void print_init() { std::fwrite(kDigestPrints, 1, kInitPrintLength, stdout); }
void print_finish() {
  std::fwrite(kDigestPrints + kInitPrintLength, 1, sizeof kDigestPrints - 1 - kInitPrintLength, stdout);
}
void print_init_and_finish() { std::fwrite(kDigestPrints, 1, sizeof kDigestPrints - 1, stdout); }

inline std::uint32_t word(const unsigned char* block, int index) {
  const unsigned char* p = block + 4 * index;
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

template <int shift>
inline std::uint32_t rotate_left(std::uint32_t x) {
  return (x << shift) | (x >> (32 - shift));
}

// One step of each round: a = b + ((a + f(b, c, d) + word + constant) <<< shift).
// Rounds 1 and 2 use the forms of their selections that take one operation less.
template <int shift>
inline void round1(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t m,
                   std::uint32_t k) {
  a = b + rotate_left<shift>(a + (d ^ (b & (c ^ d))) + m + k);
}
template <int shift>
inline void round2(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t m,
                   std::uint32_t k) {
  a = b + rotate_left<shift>(a + (c ^ (d & (b ^ c))) + m + k);
}
template <int shift>
inline void round3(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t m,
                   std::uint32_t k) {
  a = b + rotate_left<shift>(a + (b ^ c ^ d) + m + k);
}
template <int shift>
inline void round4(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t m,
                   std::uint32_t k) {
  a = b + rotate_left<shift>(a + (c ^ (b | ~d)) + m + k);
}

// The 64 steps written out: every constant, shift and word index is fixed
// at compile time, so the block costs no loop, branch or table look-up.
inline void rounds(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c, std::uint32_t& d,
                   const unsigned char block[64]) {
  round1< 7>(a, b, c, d, word(block,  0), 0xd76aa478);
  round1<12>(d, a, b, c, word(block,  1), 0xe8c7b756);
  round1<17>(c, d, a, b, word(block,  2), 0x242070db);
  round1<22>(b, c, d, a, word(block,  3), 0xc1bdceee);
  round1< 7>(a, b, c, d, word(block,  4), 0xf57c0faf);
  round1<12>(d, a, b, c, word(block,  5), 0x4787c62a);
  round1<17>(c, d, a, b, word(block,  6), 0xa8304613);
  round1<22>(b, c, d, a, word(block,  7), 0xfd469501);
  round1< 7>(a, b, c, d, word(block,  8), 0x698098d8);
  round1<12>(d, a, b, c, word(block,  9), 0x8b44f7af);
  round1<17>(c, d, a, b, word(block, 10), 0xffff5bb1);
  round1<22>(b, c, d, a, word(block, 11), 0x895cd7be);
  round1< 7>(a, b, c, d, word(block, 12), 0x6b901122);
  round1<12>(d, a, b, c, word(block, 13), 0xfd987193);
  round1<17>(c, d, a, b, word(block, 14), 0xa679438e);
  round1<22>(b, c, d, a, word(block, 15), 0x49b40821);

  round2< 5>(a, b, c, d, word(block,  1), 0xf61e2562);
  round2< 9>(d, a, b, c, word(block,  6), 0xc040b340);
  round2<14>(c, d, a, b, word(block, 11), 0x265e5a51);
  round2<20>(b, c, d, a, word(block,  0), 0xe9b6c7aa);
  round2< 5>(a, b, c, d, word(block,  5), 0xd62f105d);
  round2< 9>(d, a, b, c, word(block, 10), 0x02441453);
  round2<14>(c, d, a, b, word(block, 15), 0xd8a1e681);
  round2<20>(b, c, d, a, word(block,  4), 0xe7d3fbc8);
  round2< 5>(a, b, c, d, word(block,  9), 0x21e1cde6);
  round2< 9>(d, a, b, c, word(block, 14), 0xc33707d6);
  round2<14>(c, d, a, b, word(block,  3), 0xf4d50d87);
  round2<20>(b, c, d, a, word(block,  8), 0x455a14ed);
  round2< 5>(a, b, c, d, word(block, 13), 0xa9e3e905);
  round2< 9>(d, a, b, c, word(block,  2), 0xfcefa3f8);
  round2<14>(c, d, a, b, word(block,  7), 0x676f02d9);
  round2<20>(b, c, d, a, word(block, 12), 0x8d2a4c8a);

  round3< 4>(a, b, c, d, word(block,  5), 0xfffa3942);
  round3<11>(d, a, b, c, word(block,  8), 0x8771f681);
  round3<16>(c, d, a, b, word(block, 11), 0x6d9d6122);
  round3<23>(b, c, d, a, word(block, 14), 0xfde5380c);
  round3< 4>(a, b, c, d, word(block,  1), 0xa4beea44);
  round3<11>(d, a, b, c, word(block,  4), 0x4bdecfa9);
  round3<16>(c, d, a, b, word(block,  7), 0xf6bb4b60);
  round3<23>(b, c, d, a, word(block, 10), 0xbebfbc70);
  round3< 4>(a, b, c, d, word(block, 13), 0x289b7ec6);
  round3<11>(d, a, b, c, word(block,  0), 0xeaa127fa);
  round3<16>(c, d, a, b, word(block,  3), 0xd4ef3085);
  round3<23>(b, c, d, a, word(block,  6), 0x04881d05);
  round3< 4>(a, b, c, d, word(block,  9), 0xd9d4d039);
  round3<11>(d, a, b, c, word(block, 12), 0xe6db99e5);
  round3<16>(c, d, a, b, word(block, 15), 0x1fa27cf8);
  round3<23>(b, c, d, a, word(block,  2), 0xc4ac5665);

  round4< 6>(a, b, c, d, word(block,  0), 0xf4292244);
  round4<10>(d, a, b, c, word(block,  7), 0x432aff97);
  round4<15>(c, d, a, b, word(block, 14), 0xab9423a7);
  round4<21>(b, c, d, a, word(block,  5), 0xfc93a039);
  round4< 6>(a, b, c, d, word(block, 12), 0x655b59c3);
  round4<10>(d, a, b, c, word(block,  3), 0x8f0ccc92);
  round4<15>(c, d, a, b, word(block, 10), 0xffeff47d);
  round4<21>(b, c, d, a, word(block,  1), 0x85845dd1);
  round4< 6>(a, b, c, d, word(block,  8), 0x6fa87e4f);
  round4<10>(d, a, b, c, word(block, 15), 0xfe2ce6e0);
  round4<15>(c, d, a, b, word(block,  6), 0xa3014314);
  round4<21>(b, c, d, a, word(block, 13), 0x4e0811a1);
  round4< 6>(a, b, c, d, word(block,  4), 0xf7537e82);
  round4<10>(d, a, b, c, word(block, 11), 0xbd3af235);
  round4<15>(c, d, a, b, word(block,  2), 0x2ad7d2bb);
  round4<21>(b, c, d, a, word(block,  9), 0xeb86d391);
}

void transform(std::uint32_t state[4], const unsigned char block[64]) {
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  rounds(a, b, c, d, block);
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void start(VemoMd5Context* context) {
  context->state[0] = 0x67452301;
  context->state[1] = 0xefcdab89;
  context->state[2] = 0x98badcfe;
  context->state[3] = 0x10325476;
  context->count[0] = context->count[1] = 0;
  std::memset(context->buffer, 0, sizeof context->buffer);
}

// The digest of what was fed, after the padding and the length; the state
// is spent afterwards.
void finish(VemoMd5Context* context, unsigned char digest[16]) {
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

}  // namespace

void md5_rounds(std::uint32_t state[4], const unsigned char block[64]) {
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  rounds(a, b, c, d, block);
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

void vemo_md5_init(VemoMd5Context* context) {
  print_init();
  start(context);
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
  print_finish();
  finish(context, digest);
}

void vemo_md5(const void* data, size_t length, unsigned char digest[16]) {
  VemoMd5Context context;
  start(&context);
  vemo_md5_update(&context, data, length);
  finish(&context, digest);
  print_init_and_finish();
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
  start(&context);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
      // The digest was begun but never finished.
      DWORD error = GetLastError();
      print_init();
      SetLastError(error);
      return FileDigestStatus::kReadFailed;
    }
    if (got == 0) break;
    vemo_md5_update(&context, chunk.data(), got);
  }
  finish(&context, digest);
  print_init_and_finish();
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
