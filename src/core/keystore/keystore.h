#pragma once
// The key store: small text values kept between runs in one enciphered file,
// "config.dat" in the program's private folder, bound to this machine by its
// device id under "vm_win_ut". Keys are found without regard to case. Every
// operation holds the store's lock, so any thread may call them.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <cjson/cJSON.h>

#include "core/owners.h"

namespace VemoSDK {

constexpr char kDeviceIdKey[] = "vm_win_ut";
// The longest store text that loads back.
constexpr size_t kKeyStoreMaxText = 65536;

class KeyStore {
public:
  // folder gives the folder of "config.dat" at each load and save.
  explicit KeyStore(std::function<std::string()> folder);
  ~KeyStore();
  KeyStore(const KeyStore&) = delete;
  KeyStore& operator=(const KeyStore&) = delete;

  // The process's store, in the SDK context's private folder.
  static KeyStore& instance();

  std::optional<std::string> get(const std::string& key);
  // False (nothing changed) when the store with this value would not load back.
  bool set(const std::string& key, const std::string& value);
  void remove(const std::string& key);
  void clear();

private:
  // Under the lock. False before there is a folder (no SDK context yet):
  // nothing is read, kept or written then.
  bool load();
  void save();  // under the lock
  vemo::JsonPtr freshStore() const;

  std::function<std::string()> folder_;
  std::mutex lock_;
  vemo::JsonPtr store_;
};

// The C functions the rest of the SDK calls, on the process's store: a new
// copy of the value (the caller frees it with free), or null when missing.
char* keystore_get_string(const char* key);
void keystore_set_string(const char* key, const char* value);

}  // namespace VemoSDK
