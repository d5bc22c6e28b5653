#include "core/sdkconfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/base64.h"
#include "core/debug_log.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/sdk_keys.h"

namespace {

constexpr size_t kHeaderLength = sizeof kSdkConfigHeader - 1;

// The deciphered bytes of an enciphered text; false when it is not one.
bool decipher(const std::string& text, std::string& plain) {
  std::vector<unsigned char> decoded = base64_decode_string(text);
  if (decoded.size() <= kHeaderLength + 1 || std::memcmp(decoded.data(), kSdkConfigHeader, kHeaderLength) != 0)
    return false;
  int key_index = decoded[kHeaderLength];
  size_t length = decoded.size() - kHeaderLength - 1;
  vemo::MallocPtr<unsigned char> bytes(
      vemosdk_crypt_with_key_index(key_index, decoded.data() + kHeaderLength + 1, length));
  if (!bytes) return false;  // a key this installation does not have
  plain.assign(reinterpret_cast<const char*>(bytes.get()), length);
  return true;
}

}  // namespace

cJSON* parse_enciphered_sdkconfig(const std::string& text) {
  std::string plain;
  if (!decipher(text, plain)) return nullptr;
  return cJSON_Parse(plain.c_str());
}

char* vemosdk_decrypt_sdkconfig(const char* text) {
  std::string plain;
  if (!text || !decipher(text, plain)) return nullptr;
  if (!vemo::JsonPtr(cJSON_Parse(plain.c_str()))) return nullptr;
  size_t length = std::strlen(plain.c_str());  // what the parser saw
  auto* out = static_cast<char*>(std::malloc(length + 1));
  if (out) std::memcpy(out, plain.c_str(), length + 1);
  return out;
}

std::string encrypt_sdkconfig(const std::string& json, int key_index) {
  vemo::MallocPtr<unsigned char> cipher(vemosdk_crypt_with_key_index(key_index, json.data(), json.size()));
  if (!cipher) return {};
  std::string bytes(kSdkConfigHeader, kHeaderLength);
  bytes += static_cast<char>(key_index);
  bytes.append(reinterpret_cast<const char*>(cipher.get()), json.size());
  return base64_encode(bytes.data(), bytes.size());
}

cJSON* load_json_file(const std::wstring& path) {
  vemo::UniqueFile file(_wfopen(to_long_path(path).c_str(), L"rb"));
  if (!file) {
    vemo_debug_printf("load_json_file failed, errno = %d\n", errno);
    return nullptr;
  }
  std::string text;
  char chunk[16384];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) text.append(chunk, got);
  if (std::ferror(file.get())) {
    vemo_debug_printf("load_json_file failed, errno = %d\n", errno);
    return nullptr;
  }
  // Editors on Windows like to start UTF-8 files with a byte order mark.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  if (cJSON* tree = parse_enciphered_sdkconfig(text)) return tree;
  return cJSON_Parse(text.c_str());
}
