#include "lua/run_key.h"

#include <windows.h>

#include <vector>

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/text_convert.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

std::string run_value_text(const std::string& path) {
  if (path.find(' ') == std::string::npos || (!path.empty() && path[0] == '"')) return path;
  return "\"" + path + "\"";
}

bool run_value_read(const std::string& name, std::string* out) {
  vemo::UniqueRegKey key;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.out());
  if (status != ERROR_SUCCESS) {
    vemo_debug_printf("open run key failed:%ld", static_cast<long>(status));
    return false;
  }
  std::wstring value_name = utf8_to_wstring(name);
  DWORD type = 0;
  DWORD size = 0;
  status = RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type, nullptr, &size);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    vemo_debug_printf("query run value %s failed:%ld", name.c_str(), static_cast<long>(status));
    return false;
  }
  // Room for a terminator that the stored data may lack.
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = size;
  status = RegQueryValueExW(key.get(), value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got);
  if (status != ERROR_SUCCESS) {
    vemo_debug_printf("read run value %s failed:%ld", name.c_str(), static_cast<long>(status));
    return false;
  }
  std::string utf8 = wstring_to_utf8(text.data());
  if (utf8.size() + 1 > kRunValueCapacity) {
    vemo_debug_printf("read run value %s failed:%d", name.c_str(), static_cast<int>(ERROR_INSUFFICIENT_BUFFER));
    return false;
  }
  if (out) *out = utf8;
  return true;
}

bool run_value_save(const std::string& name, const std::string& path) {
  vemo::UniqueRegKey key;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                   nullptr, key.out(), nullptr);
  if (status != ERROR_SUCCESS) {
    vemo_debug_printf("create run key failed:%ld", static_cast<long>(status));
    return false;
  }
  std::wstring text = utf8_to_wstring(run_value_text(path));
  DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  status = RegSetValueExW(key.get(), utf8_to_wstring(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
  if (status != ERROR_SUCCESS) {
    vemo_debug_printf("set run value %s failed:%ld", name.c_str(), static_cast<long>(status));
    return false;
  }
  return true;
}

bool run_value_remove(const std::string& name) {
  vemo::UniqueRegKey key;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, key.out());
  if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.get(), utf8_to_wstring(name).c_str());
  if (status != ERROR_SUCCESS) {
    vemo_debug_printf("remove run value %s failed:%ld", name.c_str(), static_cast<long>(status));
    return false;
  }
  return true;
}
