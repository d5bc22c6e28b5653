// Folder creation and folder tests.
#include "core/folders.h"

#include <windows.h>

#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"

namespace {

bool is_separator(wchar_t c) { return c == L'/' || c == L'\\'; }

DWORD attributes_of(const std::wstring& path) { return GetFileAttributesW(to_long_path(path).c_str()); }

bool is_folder_or_link(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0;
}

// The text before the last separator; npos when there is none.
size_t parent_end(const std::wstring& path) {
  for (size_t i = path.size(); i-- > 0;)
    if (is_separator(path[i])) return i;
  return std::wstring::npos;
}

// A parent that names a drive ("C:", "\\?\C:"), a device prefix ("\\?"), a
// server ("\\server", "\\?\UNC") or the root is taken as existing: there is
// nothing above it to create.
bool is_root_like(const std::wstring& folder) {
  if (folder.back() == L':') return true;
  if (folder.find_first_not_of(L"\\/?.") == std::wstring::npos) return true;
  if (folder.size() >= 2 && is_separator(folder[0]) && is_separator(folder[1])) {
    std::wstring rest = folder.substr(2);
    if (rest.compare(0, 2, L"?\\") == 0 || rest.compare(0, 2, L".\\") == 0) rest.erase(0, 2);
    if (rest == L"UNC") return true;
    return rest.find_first_of(L"\\/") == std::wstring::npos;  // "\\server"
  }
  return false;
}

bool create_one_folder(const std::wstring& folder) {
  if (CreateDirectoryW(to_long_path(folder).c_str(), nullptr)) return true;
  DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS && is_folder_or_link(attributes_of(folder))) return true;
  vemo_debug_printf("CreateDirectoryW failed: path=%s, err=%lu\n", wstring_to_utf8(folder).c_str(), error);
  SetLastError(error);
  return false;
}

}  // namespace

bool vemo_create_dir_tree_w(const wchar_t* folder) {
  if (folder == nullptr || *folder == L'\0') return false;
  std::wstring path = folder;
  DWORD attributes = attributes_of(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (is_folder_or_link(attributes)) return true;
    vemo_debug_print("Could not create directory because a file with the same name exists\n");
    SetLastError(ERROR_ALREADY_EXISTS);
    return false;
  }
  // Walk up to the first folder that exists, then create the missing ones
  // from the top down.
  std::vector<std::wstring> missing{path};
  for (std::wstring current = path;;) {
    size_t end = parent_end(current);
    if (end == std::wstring::npos) break;
    current.resize(end);
    if (current.empty() || is_root_like(current)) break;
    if (attributes_of(current) != INVALID_FILE_ATTRIBUTES) break;
    missing.push_back(current);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!create_one_folder(*it)) return false;
  }
  return true;
}

bool vemo_make_parent_dirs_w(const wchar_t* path) {
  if (path == nullptr) return false;
  std::wstring text = path;
  size_t end = parent_end(text);
  if (end == std::wstring::npos) return true;  // relative to the current folder
  if (end >= static_cast<size_t>(kMaxLongPath)) {
    vemo_debug_printf("vemo_make_parent_dirs: folder part of %s exceeds MAX_LONG_PATH\n",
                      wstring_to_utf8(text).c_str());
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  std::wstring folder = text.substr(0, end);
  if (folder.empty() || is_root_like(folder)) return true;
  if (is_folder_or_link(attributes_of(folder))) return true;
  return vemo_create_dir_tree_w(folder.c_str());
}

bool vemo_make_parent_dirs(const char* path) {
  if (path == nullptr) return false;
  return vemo_make_parent_dirs_w(utf8_to_wstring(path).c_str());
}

bool make_dirs(const char* path) {
  if (path == nullptr || *path == '\0') {
    vemo_debug_print("make_dirs failed, path is nil\n");
    return false;
  }
  return vemo_make_parent_dirs((std::string(path) + "/").c_str());
}

bool vemo_is_directory_w(const wchar_t* path) {
  if (path == nullptr) return false;
  DWORD attributes = attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool vemo_is_directory(const char* path) {
  if (path == nullptr) return false;
  return vemo_is_directory_w(utf8_to_wstring(path).c_str());
}
