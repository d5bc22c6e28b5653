#include "core/dir_tree.h"

#include "core/link_check.h"
#include "core/owners.h"
#include "core/path_utils.h"

namespace {
constexpr DWORD kReparsePointEncountered = 4395;  // ERROR_REPARSE_POINT_ENCOUNTERED, missing from some headers
}  // namespace

DWORD remove_directory_tree(const std::wstring& folder, bool recursive) {
  std::wstring dir = folder;
  while (dir.size() > 1 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
  std::wstring long_dir = to_long_path(dir);
  DWORD attributes = GetFileAttributesW(long_dir.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return RemoveDirectoryW(long_dir.c_str()) ? 0 : GetLastError();

  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(dir + L"\\*.*").c_str(), &entry));
  if (!find) return 0;
  bool kept_folder = false;
  std::wstring resolved_dir = resolved_path_of(dir);
  do {
    std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring child = dir + L"\\" + name;
    std::wstring long_child = to_long_path(child);
    bool is_folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    bool is_link = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
    if (is_folder && is_link) {
      if (!RemoveDirectoryW(long_child.c_str())) return GetLastError();
    } else if (is_folder) {
      if (!recursive) {
        kept_folder = true;
        continue;
      }
      if (DWORD error = remove_directory_tree(child, true)) return error;
    } else if (!is_link && is_link_entry(resolved_dir, dir, name)) {
      // A file link that Wine shows as a plain file: deleting it there
      // deletes its target, and no call removes the link alone.
      return kReparsePointEncountered;
    } else {
      SetFileAttributesW(long_child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(long_child.c_str())) return GetLastError();
    }
  } while (FindNextFileW(find.get(), &entry));
  DWORD end = GetLastError();
  if (end != ERROR_NO_MORE_FILES) return end;
  find.reset();

  if (kept_folder) return 0;
  SetFileAttributesW(long_dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryW(long_dir.c_str()) ? 0 : GetLastError();
}
