// Deleting files and folder trees. A link met inside a tree (a junction or a
// symbolic link) is removed itself; its target is never entered.
#include <windows.h>

#include <string>

#include "core/dir_tree.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/file_ops.h"

namespace {

bool is_directory_link(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

OpResult remove_entry(const std::wstring& path, DWORD attributes) {
  BOOL removed;
  if (is_directory_link(attributes))
    removed = RemoveDirectoryW(to_long_path(path).c_str());  // the link, not what it points to
  else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    return vemo_remove_dir_tree_w(path.c_str());
  else
    removed = DeleteFileW(to_long_path(path).c_str());
  return removed ? init_op_result() : make_last_error_result();
}

}  // namespace

OpResult vemo_remove_dir_tree_w(const wchar_t* folder) {
  if (folder == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  DWORD attributes = GetFileAttributesW(to_long_path(std::wstring(folder)).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return make_op_result(kFileOpPathNotExists, file_op_msg::kPathNotExists);
  if (DWORD error = remove_directory_tree(folder, true)) {
    SetLastError(error);
    return make_last_error_result();
  }
  return init_op_result();
}

OpResult vemo_remove_file_or_directory(const wchar_t* path) {
  if (path == nullptr || *path == L'\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  std::wstring target = path;
  DWORD attributes = GetFileAttributesW(to_long_path(target).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return init_op_result();
    return make_last_error_result();
  }
  return remove_entry(target, attributes);
}

OpResult vemo_remove_file_or_directory_utf8(const char* path) {
  if (path == nullptr || *path == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  return vemo_remove_file_or_directory(utf8_to_wstring(path).c_str());
}
