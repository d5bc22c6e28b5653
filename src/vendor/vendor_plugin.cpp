#include "vendor/vendor_plugin.h"

#include <cctype>
#include <utility>

#include "core/debug_log.h"
#include "vendor/vendor_dll_loader.h"

namespace {

struct PluginKey {
  const char* key;
  const char* failure_line;
};

constexpr PluginKey kPluginKeys[] = {
    {"AGORA", "init, register agora vendor instance failed\n"},
    {"STEAM", "init, register steam vendor instance failed\n"},
    {"WEGAME", "init, register wegame vendor instance failed\n"},
    {"EPIC", "init, register epic vendor instance failed\n"},
    {"TAP_LOGIN", "init, register taptap vendor instance failed\n"},
    {"BILIBILI", "init, register bilibili vendor instance failed\n"},
    {"AIWAKEUP", "init, register aiwakeup vendor instance failed\n"},
};

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

using GetVendorProxyInstance = VemoSDKVendor::SDKProxyBase* (*)();

}  // namespace

const char* vendorPluginFailureLine(const std::string& key) {
  for (const PluginKey& plugin : kPluginKeys)
    if (key == plugin.key) return plugin.failure_line;
  return nullptr;
}

HMODULE loadVendorPlugin(const std::string& key) {
  if (key.empty()) return nullptr;
  const std::string K = upper(key), k = lower(key), P = upper("vemo_" + key), S = lower(key + "_export_api");
  const std::pair<const std::string*, const std::string*> spellings[] = {
      {&K, &P}, {&K, &K}, {&k, &P}, {&k, &k}, {&K, &S}, {&k, &S},
  };
  for (const auto& spelling : spellings) {
    if (HMODULE module = loadDllInVendors(spelling.first->c_str(), spelling.second->c_str())) return module;
  }
  return nullptr;
}

VemoSDKVendor::SDKProxyBase* getVendorProxyInstance(HMODULE module) {
  if (!module) return nullptr;
  auto get = reinterpret_cast<GetVendorProxyInstance>(
      reinterpret_cast<void*>(GetProcAddress(module, "get_vendor_proxy_instantce")));
  if (!get) {
    vemo_debug_printf("get_vendor_proxy_instantce not exported, module freed\n");
    FreeLibrary(module);
    return nullptr;
  }
  return get();
}
