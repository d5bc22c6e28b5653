#pragma once
// "config.dat" on disk: the store's JSON text compressed with zlib and
// enciphered with the SDK's key 2; and the older plain "config.ini".
#include <optional>
#include <string>
#include <vector>

namespace VemoSDK {

// The store's text, or nothing when the file is missing, unreadable, or does
// not decipher and decompress into at most kKeyStoreMaxText bytes.
std::optional<std::string> read_store_file(const std::string& path);
// Writes a temporary file beside path and puts it in place in one step, so
// that a reader (or a process killed mid-save) sees the old or the new file.
bool write_store_file(const std::string& path, const std::string& text);

struct LegacyValue {
  std::string key;
  std::string value;
};
// The lines of the section "vmsdk" of a config.ini; empty when there are none.
std::vector<LegacyValue> read_legacy_values(const std::string& ini_path);

}  // namespace VemoSDK
