#include "core/sdk_paths.h"

#include <cstring>
#include <mutex>

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"

namespace {

// Set on the host's UI thread, read from any thread.
std::mutex g_lock;
std::string g_resource_path;
std::string g_sdkconfig_path;
std::string g_vendors_path;
std::wstring g_webview_path;

bool store_absolute(const char* path, const char* format, std::string& slot) {
  if (!path || std::strlen(path) > kStoredPathCapacity) {
    vemo_debug_printf("refused a path of more than %d bytes\n", static_cast<int>(kStoredPathCapacity));
    return false;
  }
  std::string absolute = vemo_get_full_path(path);
  if (absolute.size() > kStoredPathCapacity) absolute = path;
  vemo_debug_printf(format, absolute.c_str());
  std::lock_guard<std::mutex> lock(g_lock);
  slot = absolute;
  return true;
}

std::string read(const std::string& slot) {
  std::lock_guard<std::mutex> lock(g_lock);
  return slot;
}

}  // namespace

namespace VemoSDK {

bool setResourcePath(const char* path) { return store_absolute(path, "set resource path: %s\n", g_resource_path); }

bool setSdkconfigPath(const char* path) {
  return store_absolute(path, "set sdkconfig path: %s\n", g_sdkconfig_path);
}

// Plug-ins are loaded from here. A relative folder is taken in the program
// folder, never in the current directory: a program started from elsewhere
// (a shortcut, a toast activation) still loads its own plug-ins.
bool setVendorsPath(const char* path) {
  if (!path || std::strlen(path) > kStoredPathCapacity) {
    vemo_debug_printf("refused a path of more than %d bytes\n", static_cast<int>(kStoredPathCapacity));
    return false;
  }
  if (!is_relative_path(path)) return store_absolute(path, "set vendors path: %s\n", g_vendors_path);
  std::wstring joined;
  if (!vemo_path_append(get_program_dir_w(), utf8_to_wstring(path), joined) ||
      wstring_to_utf8(joined).size() > kStoredPathCapacity) {
    vemo_debug_printf("refused vendors path %s: too long in the program folder\n", path);
    return false;
  }
  return store_absolute(wstring_to_utf8(joined).c_str(), "set vendors path: %s\n", g_vendors_path);
}

bool setWebviewPath(const char* path) {
  if (!path || std::strlen(path) > kStoredPathCapacity) return false;
  std::wstring long_form = to_long_path(utf8_to_wstring(path));
  std::lock_guard<std::mutex> lock(g_lock);
  g_webview_path = long_form;
  return true;
}

}  // namespace VemoSDK

std::string vemosdk_get_resources_path_or(std::string (*fallback)()) {
  std::lock_guard<std::mutex> lock(g_lock);
  if (g_resource_path.empty()) g_resource_path = fallback();
  return g_resource_path;
}

std::string vemosdk_get_sdkconfig_path() { return read(g_sdkconfig_path); }

std::string vemosdk_get_vendors_path() { return read(g_vendors_path); }

std::wstring vemosdk_get_webview_path() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_webview_path;
}
