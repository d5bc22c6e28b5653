#include "vendor/vendor_dll_loader.h"

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/sdk_paths.h"
#include "core/text_convert.h"

namespace {

bool empty_text(const char* text) { return !text || !*text; }

// The folder that holds "vendors": the one set by the host (already absolute,
// see setVendorsPath), else the program folder.
std::wstring vendors_base() {
  std::string set = vemosdk_get_vendors_path();
  if (set.empty()) return get_program_dir_w();
  vemo_debug_printf("getVendorDllPath vendors_path: '%s'", set.c_str());
  return utf8_to_wstring(set);
}

}  // namespace

std::string vendorDllRelPath(const char* folder, const char* file) {
  if (empty_text(file)) return std::string();
  std::string path = "vendors\\";
  if (!empty_text(folder)) path.append(folder).append("\\");
  return path.append(file).append(".dll");
}

std::wstring getVendorDllPath(const char* folder, const char* file) {
  std::string relative = vendorDllRelPath(folder, file);
  if (relative.empty()) {
    vemo_debug_printf("getVendorDllPath failed: empty path for plugin '%s'", file ? file : "");
    return std::wstring();
  }
  std::wstring base = vendors_base();
  std::wstring joined;
  if (base.empty() || !vemo_path_append(base, utf8_to_wstring(relative), joined)) {
    vemo_debug_printf("getVendorDllPath failed: path of plugin '%s' does not fit", file);
    return std::wstring();
  }
  return to_long_path(joined);
}

HMODULE loadDllInVendors(const char* folder, const char* file) {
  if (empty_text(file)) {
    vemo_debug_printf("loadDllInVendors failed: dllFileName is empty");
    return nullptr;
  }
  std::wstring path = getVendorDllPath(folder, file);
  if (path.empty()) {
    vemo_debug_printf("loadDllInVendors failed to get DLL path for plugin: %s", file);
    return nullptr;
  }
  std::string printable = wstring_to_utf8(path);
  vemo_debug_printf("loadDllInVendors Final DLL path: %s", printable.c_str());
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    vemo_debug_printf("loadDllInVendors loadLibrary failed, dllFileName:%s, dllPath:%s, error %lu", file,
                      printable.c_str(), GetLastError());
  }
  return module;
}
