#include "core/keystore/keystore.h"

#include <cstdlib>
#include <cstring>

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "core/keystore/keystore_file.h"
#include "core/sdk_context.h"
#include "crash/probes/machine_identity.h"

namespace VemoSDK {

namespace {

std::string private_folder() {
  VemoSDKContextPtr context = vemosdk_get_context();
  return context ? context->program_private_dir : std::string();
}

std::string store_path(const std::string& folder, const char* name) {
  std::string path = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
  path += name;
  vemo_debug_printf("get_config_path:%s\n", path.c_str());
  return path;
}

// A store belongs to this machine when it carries the device id computed now.
bool bound_here(const cJSON* store) {
  const cJSON* binding = cJSON_GetObjectItem(store, kDeviceIdKey);
  return cJSON_IsString(binding) && compute_device_id() == binding->valuestring;
}

}  // namespace

KeyStore::KeyStore(std::function<std::string()> folder) : folder_(std::move(folder)) {}

KeyStore::~KeyStore() = default;

KeyStore& KeyStore::instance() {
  static KeyStore store(private_folder);
  return store;
}

vemo::JsonPtr KeyStore::freshStore() const {
  // Stamped at once: a store without the binding would be thrown away at the
  // next load.
  vemo::JsonPtr store(cJSON_CreateObject());
  cJSON_AddStringToObject(store.get(), kDeviceIdKey, compute_device_id().c_str());
  return store;
}

bool KeyStore::load() {
  if (store_) return true;
  std::string folder = folder_();
  if (folder.empty()) return false;
  std::string path = store_path(folder, "config.dat");
  if (std::optional<std::string> text = read_store_file(path)) {
    store_.reset(cJSON_Parse(text->c_str()));
  } else {
    std::string ini_path = store_path(folder, "config.ini");
    std::vector<LegacyValue> legacy = read_legacy_values(ini_path);
    if (!legacy.empty()) {
      vemo::JsonPtr imported = freshStore();
      for (const LegacyValue& entry : legacy) {
        cJSON_DeleteItemFromObject(imported.get(), entry.key.c_str());
        cJSON_AddStringToObject(imported.get(), entry.key.c_str(), entry.value.c_str());
      }
      // The binding is this machine's whatever the old file held.
      cJSON_ReplaceItemInObject(imported.get(), kDeviceIdKey, cJSON_CreateString(compute_device_id().c_str()));
      store_ = std::move(imported);
      save();
      vemo_delete_file(ini_path.c_str());
      return true;
    }
  }
  if (!cJSON_IsObject(store_.get()) || !bound_here(store_.get())) {
    store_ = freshStore();
    save();
  }
  return true;
}

void KeyStore::save() {
  std::string text = vemo::json_text(store_.get(), false);
  if (text.empty() || !write_store_file(store_path(folder_(), "config.dat"), text))
    vemo_debug_printf("keystore save failed\n");
}

std::optional<std::string> KeyStore::get(const std::string& key) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!load()) return std::nullopt;
  const cJSON* item = cJSON_GetObjectItem(store_.get(), key.c_str());
  if (!cJSON_IsString(item)) return std::nullopt;
  return std::string(item->valuestring);
}

bool KeyStore::set(const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!load()) return false;
  vemo::JsonPtr changed(cJSON_Duplicate(store_.get(), 1));
  if (!changed) return false;
  cJSON* text = cJSON_CreateString(value.c_str());
  if (cJSON_GetObjectItem(changed.get(), key.c_str())) cJSON_ReplaceItemInObject(changed.get(), key.c_str(), text);
  else cJSON_AddItemToObject(changed.get(), key.c_str(), text);
  if (vemo::json_text(changed.get(), false).size() > kKeyStoreMaxText) {
    vemo_debug_printf("keystore_set refused %s: the store would be too large to load\n", key.c_str());
    return false;
  }
  store_ = std::move(changed);
  save();
  return true;
}

void KeyStore::remove(const std::string& key) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!load()) return;
  cJSON_DeleteItemFromObject(store_.get(), key.c_str());
  save();
}

void KeyStore::clear() {
  std::lock_guard<std::mutex> hold(lock_);
  if (folder_().empty()) return;
  store_.reset(cJSON_CreateObject());
  save();
}

char* keystore_get_string(const char* key) {
  if (!key) return nullptr;
  std::optional<std::string> value = KeyStore::instance().get(key);
  if (!value) return nullptr;
  char* copy = static_cast<char*>(std::malloc(value->size() + 1));
  if (copy) std::memcpy(copy, value->c_str(), value->size() + 1);
  return copy;
}

void keystore_set_string(const char* key, const char* value) {
  if (key && value) KeyStore::instance().set(key, value);
}

}  // namespace VemoSDK
