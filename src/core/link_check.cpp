#include "core/link_check.h"

#include <windows.h>

#include <vector>

#include "core/owners.h"
#include "core/path_utils.h"

namespace {

bool same_name(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                                      static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring without_trailing_separators(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

bool is_marked_link(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(to_long_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool exists(const std::wstring& path) { return GetFileAttributesW(to_long_path(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::wstring resolved_path_of(const std::wstring& path) {
  // No access asked: opening follows every link and disturbs no one.
  vemo::UniqueHandle file(CreateFileW(to_long_path(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return {};
  std::vector<wchar_t> name(MAX_PATH + 1);
  DWORD length = GetFinalPathNameByHandleW(file.get(), name.data(), static_cast<DWORD>(name.size()), 0);
  if (length >= name.size()) {
    name.resize(length + 1);
    length = GetFinalPathNameByHandleW(file.get(), name.data(), static_cast<DWORD>(name.size()), 0);
  }
  if (length == 0 || length >= name.size()) return {};
  std::wstring resolved(name.data(), length);
  if (resolved.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + resolved.substr(8);
  if (resolved.compare(0, 4, L"\\\\?\\") == 0) return resolved.substr(4);
  return resolved;
}

bool is_link_entry(const std::wstring& resolved_folder, const std::wstring& folder, const std::wstring& name) {
  std::wstring path = without_trailing_separators(folder) + L"\\" + name;
  if (is_marked_link(path)) return true;
  std::wstring resolved = resolved_path_of(path);
  return !resolved.empty() && !same_name(resolved, without_trailing_separators(resolved_folder) + L"\\" + name);
}

bool passes_through_link(const std::wstring& base, const std::wstring& path) {
  std::wstring folder = without_trailing_separators(base);
  if (path.size() <= folder.size()) return false;
  std::wstring deepest;  // the deepest existing entry below base
  for (size_t at = folder.size() + 1; at <= path.size();) {
    size_t next = path.find(L'\\', at);
    std::wstring prefix = without_trailing_separators(path.substr(0, next));
    if (!exists(prefix)) break;  // the rest is yet to be made
    if (is_marked_link(prefix)) return true;
    deepest = prefix;
    if (next == std::wstring::npos) break;
    at = next + 1;
  }
  if (deepest.empty()) return false;
  std::wstring resolved_base = without_trailing_separators(resolved_path_of(folder));
  std::wstring resolved = resolved_path_of(deepest);
  if (resolved_base.empty() || resolved.empty()) return false;  // cannot be opened: the operation will say why
  return !same_name(resolved, resolved_base + deepest.substr(folder.size()));
}
