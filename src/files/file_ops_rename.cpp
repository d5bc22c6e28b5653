// Renames that make the target's folders first.
#include <windows.h>

#include <string>

#include "core/folders.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/file_ops.h"

OpResult vemo_rename_path_w(const wchar_t* source, const wchar_t* target) {
  if (source == nullptr || target == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  if (!vemo_make_parent_dirs_w(target)) return make_last_error_result();
  if (!MoveFileW(to_long_path(std::wstring(source)).c_str(), to_long_path(std::wstring(target)).c_str()))
    return make_last_error_result();
  return init_op_result();
}

OpResult vemo_rename_path(const char* source, const char* target) {
  if (source == nullptr || target == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  return vemo_rename_path_w(utf8_to_wstring(source).c_str(), utf8_to_wstring(target).c_str());
}
