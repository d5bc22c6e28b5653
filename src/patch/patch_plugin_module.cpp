#include "patch/patch_plugin_module.h"

#include "vendor/vendor_dll_loader.h"

namespace {

INIT_ONCE g_load_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK load_plugin(PINIT_ONCE, PVOID, PVOID* module) {
  HMODULE loaded = loadDllInVendors("hpatchz", "hpatchz");
  *module = loaded;
  return loaded != nullptr;  // FALSE leaves the once open: the next request loads again
}

}  // namespace

HMODULE patch_plugin_module() {
  void* module = nullptr;
  if (!InitOnceExecuteOnce(&g_load_once, load_plugin, nullptr, &module)) return nullptr;
  return static_cast<HMODULE>(module);
}
