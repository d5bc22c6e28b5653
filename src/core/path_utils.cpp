#include "core/path_utils.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "core/debug_log.h"
#include "core/text_convert.h"

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kDevicePrefix[] = L"\\\\.\\";
constexpr wchar_t kUncLongPrefix[] = L"\\\\?\\UNC\\";

bool starts_with(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

std::wstring with_backslashes(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

}  // namespace

std::wstring get_program_path_w() {
  std::wstring buffer(kMaxLongPath, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring get_full_path_w(const std::wstring& path) {
  if (path.empty()) return {};
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring out(needed, L'\0');
  DWORD n = GetFullPathNameW(path.c_str(), needed, out.data(), nullptr);
  if (n == 0 || n >= needed) return {};
  out.resize(n);
  return out;
}

std::wstring to_long_path(const std::wstring& path) {
  if (path.empty() || starts_with(path, kLongPrefix) || starts_with(path, kDevicePrefix)) return path;
  // "\\?\" turns off every normalisation, so the prefixed path must already
  // be absolute, with backslashes and without "." or ".." parts.
  std::wstring absolute = get_full_path_w(with_backslashes(path));
  if (absolute.size() < kLongPathThreshold) return path;
  if (starts_with(absolute, L"\\\\")) return kUncLongPrefix + absolute.substr(2);
  return kLongPrefix + absolute;
}

std::wstring to_long_path(const std::string& utf8_path) { return to_long_path(utf8_to_wstring(utf8_path)); }

wchar_t* normalize_long_path_dup(const wchar_t* path) {
  if (!path) return nullptr;
  std::wstring result = to_long_path(std::wstring(path));
  auto* out = static_cast<wchar_t*>(std::malloc((result.size() + 1) * sizeof(wchar_t)));
  if (out) std::memcpy(out, result.c_str(), (result.size() + 1) * sizeof(wchar_t));
  return out;
}

std::string vemo_get_full_path(const std::string& path) {
  std::wstring absolute = get_full_path_w(utf8_to_wstring(path));
  if (absolute.empty() || absolute.size() >= static_cast<size_t>(kMaxLongPath)) {
    vemo_debug_printf("vemo_get_full_path error : converted absolute path(%d) exceeded max long path",
                      static_cast<int>(absolute.size()));
    return path;
  }
  return wstring_to_utf8(absolute);
}

bool vemo_path_append(const std::wstring& base, const std::wstring& sub, std::wstring& out) {
  auto fits = [](const std::wstring& path) {
    return !path.empty() && path.size() < static_cast<size_t>(kMaxLongPath);
  };
  if (base.empty()) {
    std::wstring absolute = get_full_path_w(with_backslashes(sub));
    if (!fits(absolute)) {
      vemo_debug_printf("VemoPathAppendW: sub path GetFullPathNameW failed or exceeded MAX_LONG_PATH!\n");
      return false;
    }
    out = absolute;
    return true;
  }
  if (sub.empty()) {
    out = base;
    return true;
  }
  std::wstring absolute_base = get_full_path_w(base);
  if (!fits(absolute_base)) {
    vemo_debug_printf("VemoPathAppendW: base path GetFullPathNameW failed or exceeded MAX_LONG_PATH!\n");
    return false;
  }
  while (!absolute_base.empty() && absolute_base.back() == L'\\') absolute_base.pop_back();
  std::wstring tail = with_backslashes(sub);
  tail.erase(0, tail.find_first_not_of(L'\\'));
  std::wstring joined = get_full_path_w(absolute_base + L"\\" + tail);
  if (!fits(joined)) {
    vemo_debug_printf("VemoPathAppendW: final path GetFullPathNameW failed or exceeded MAX_LONG_PATH!\n");
    return false;
  }
  out = joined;
  return true;
}

int VemoPathAppendW(wchar_t* base, const wchar_t* sub) {
  if (!base || !sub) {
    vemo_debug_printf("VemoPathAppendW: base path or sub path is nullptr!\n");
    return 0;
  }
  std::wstring result;
  if (!vemo_path_append(base, sub, result)) return 0;
  std::wmemcpy(base, result.c_str(), result.size() + 1);  // result is shorter than kMaxLongPath
  return 1;
}

std::wstring get_program_dir_w() {
  std::wstring path = get_program_path_w();
  path.erase(path.find_last_of(L'\\') + 1);
  vemo_debug_printf("get program dir %s\n", wstring_to_utf8(path).c_str());
  return path;
}

std::string get_program_dir() { return wstring_to_utf8(get_program_dir_w()); }

std::string get_program_dir_copy() {
  std::string dir = get_program_dir();
  if (!dir.empty()) dir.pop_back();
  return dir;
}

std::wstring get_module_relative_path(const std::wstring& name, bool append) {
  std::wstring path = get_program_path_w();
  if (!append) path.erase(path.find_last_of(L'\\') + 1);
  return path + name;
}

std::string get_vemo_data_path(const std::string& name) { return get_program_dir() + "vemo\\" + name; }

std::string get_program_file_path(const std::string& name) { return get_program_dir() + name; }

bool file_exists(const std::wstring& path) {
  return !path.empty() && GetFileAttributesW(to_long_path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool is_relative_path(const std::string& path) {
  if (path.empty() || path[0] == '\\' || path[0] == '/') return false;
  bool drive = path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
  return !drive;  // "a.txt:stream" is relative, "C:x" names its drive
}

bool file_exists(const std::string& utf8_path) { return file_exists(utf8_to_wstring(utf8_path)); }

bool is_local_file_path(const std::string& path) {
  std::string rest = path;
  size_t scheme = rest.find("file://");
  if (scheme != std::string::npos) rest = rest.substr(scheme + 7);
  if (rest.size() < 2) return false;
  unsigned char drive = static_cast<unsigned char>(rest[0]);
  return ((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) && rest[1] == ':';
}
