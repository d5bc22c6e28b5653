#include "core/keystore/keystore_file.h"

#include <windows.h>

#include <zlib.h>

#include <cstdlib>
#include <memory>

#include "core/file_replace.h"
#include "core/file_utils.h"
#include "core/keystore/keystore.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/sdk_keys.h"
#include "core/text_convert.h"
#include "core/zlib_buffer.h"

namespace VemoSDK {

namespace {

constexpr int kStoreKeyIndex = 2;
constexpr DWORD kLegacySectionUnits = 65537;

using Buffer = vemo::MallocPtr<unsigned char>;

}  // namespace

std::optional<std::string> read_store_file(const std::string& path) {
  std::string enciphered;
  if (!vemo_read_file(path, enciphered) || enciphered.empty()) return std::nullopt;
  Buffer compressed(vemosdk_crypt_with_key_index(kStoreKeyIndex, enciphered.data(), enciphered.size()));
  if (!compressed) return std::nullopt;
  std::string text(kKeyStoreMaxText + 1, '\0');
  size_t length = 0;
  if (!zlib_uncompress_buffer(compressed.get(), enciphered.size(), reinterpret_cast<unsigned char*>(&text[0]),
                              text.size(), &length) ||
      length > kKeyStoreMaxText)
    return std::nullopt;
  text.resize(length);
  return text;
}

bool write_store_file(const std::string& path, const std::string& text) {
  std::string compressed(compressBound(static_cast<uLong>(text.size())), '\0');
  size_t length = 0;
  if (!zlib_compress_text(text.c_str(), reinterpret_cast<unsigned char*>(&compressed[0]), compressed.size(), &length))
    return false;
  Buffer enciphered(vemosdk_crypt_with_key_index(kStoreKeyIndex, compressed.data(), length));
  if (!enciphered) return false;
  return write_file_replacing(path, enciphered.get(), length);
}

std::vector<LegacyValue> read_legacy_values(const std::string& ini_path) {
  std::vector<LegacyValue> values;
  // The profile functions take the plain path.
  std::wstring path = utf8_to_wstring(ini_path);
  if (!file_exists(path)) return values;
  std::wstring section(kLegacySectionUnits, L'\0');
  DWORD length = GetPrivateProfileSectionW(L"vmsdk", &section[0], kLegacySectionUnits, path.c_str());
  section.resize(length);
  // "key=value" lines, each ended by a NUL.
  for (size_t start = 0; start < section.size();) {
    size_t end = section.find(L'\0', start);
    if (end == std::wstring::npos) end = section.size();
    std::wstring line = section.substr(start, end - start);
    start = end + 1;
    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) continue;
    size_t value_end = line.find(L'=', equals + 1);
    std::wstring value = line.substr(equals + 1, value_end == std::wstring::npos ? std::wstring::npos
                                                                                 : value_end - equals - 1);
    values.push_back({wstring_to_utf8(line.substr(0, equals)), wstring_to_utf8(value)});
  }
  return values;
}

}  // namespace VemoSDK
