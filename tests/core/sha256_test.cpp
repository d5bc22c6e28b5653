#include <gtest/gtest.h>

#include <windows.h>
#include <bcrypt.h>

#include <string>

#include "core/sha256.h"
#include "core/string_utils.h"
#include "test_support.h"

namespace {

std::string hex_of(const std::string& bytes) {
  unsigned char digest[32];
  vemo_sha256(bytes.data(), bytes.size(), digest);
  return to_hex_string(digest, sizeof digest);
}

// Windows' own SHA-256: an oracle independent of ours.
std::string windows_sha256_hex(const std::string& bytes) {
  return vemo::test::windows_digest_hex(BCRYPT_SHA256_ALGORITHM, bytes);
}

TEST(Sha256, StandardVectors) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, hex_of(text)) << text.size() << " bytes";
}

TEST(Sha256, EveryLengthAroundTheBlockAndPaddingEdges) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 37 + 11);
  for (size_t length = 0; length <= bytes.size(); ++length) {
    std::string piece = bytes.substr(0, length);
    ASSERT_EQ(windows_sha256_hex(piece), hex_of(piece)) << length;
  }
}

TEST(Sha256, PiecesGiveTheSameDigestAsOneUpdate) {
  std::string bytes(1000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
  for (size_t step : {1u, 7u, 63u, 64u, 65u, 500u}) {
    VemoSha256Context context;
    vemo_sha256_init(&context);
    for (size_t at = 0; at < bytes.size(); at += step)
      vemo_sha256_update(&context, bytes.data() + at, std::min(step, bytes.size() - at));
    unsigned char digest[32];
    vemo_sha256_finish(&context, digest);
    EXPECT_EQ(hex_of(bytes), to_hex_string(digest, sizeof digest)) << "step " << step;
  }
}

}  // namespace
