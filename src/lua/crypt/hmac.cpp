#include "lua/crypt/hmac.h"

#include "core/sha1.h"
#include "core/sha256.h"

namespace {

constexpr size_t kBlockSize = 64;  // both digests work on 64-byte blocks

using Digest = std::string (*)(const std::string&);

std::string hmac(Digest digest, const std::string& key, const std::string& text) {
  std::string block = key.size() > kBlockSize ? digest(key) : key;
  block.resize(kBlockSize, '\0');
  std::string inner(kBlockSize, '\0'), outer(kBlockSize, '\0');
  for (size_t n = 0; n < kBlockSize; ++n) {
    inner[n] = static_cast<char>(block[n] ^ 0x36);
    outer[n] = static_cast<char>(block[n] ^ 0x5c);
  }
  return digest(outer + digest(inner + text));
}

}  // namespace

std::string sha1_bytes(const std::string& data) {
  unsigned char digest[20];
  vemo_sha1(data.data(), data.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

std::string sha256_bytes(const std::string& data) {
  unsigned char digest[32];
  vemo_sha256(data.data(), data.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

std::string hmac_sha1(const std::string& key, const std::string& text) { return hmac(sha1_bytes, key, text); }

std::string hmac_sha256(const std::string& key, const std::string& text) { return hmac(sha256_bytes, key, text); }
