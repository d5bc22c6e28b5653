// Copying files and folder trees. Each file is put in place through a
// temporary name (core/file_replace.h), so a copy cut short never leaves a
// partial file under the target's name.
#include <windows.h>

#include <string>

#include "core/file_replace.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/file_ops.h"

namespace {

std::wstring join(const std::wstring& folder, const wchar_t* name) {
  std::wstring out = folder;
  if (!out.empty() && out.back() != L'\\' && out.back() != L'/') out += L'\\';
  return out + name;
}

// A file goes through a temporary name beside its target.
OpResult copy_one_file(const std::wstring& source, const std::wstring& target, bool override_existing) {
  if (!copy_file_replacing(source, target, override_existing)) return make_last_error_result();
  return init_op_result();
}

}  // namespace

OpResult vemo_copy_dir_tree_w(const wchar_t* source, const wchar_t* target, bool override_existing) {
  if (source == nullptr || target == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  std::wstring source_dir = source;
  std::wstring target_dir = target;
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(join(source_dir, L"*")).c_str(), &entry));
  if (!find) return make_op_result(kFileOpPathNotExists, file_op_msg::kPathNotExists);
  // An empty source folder still gives a target folder.
  if (!vemo_create_dir_tree_w(target_dir.c_str())) return make_last_error_result();
  do {
    if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0) continue;
    std::wstring from = join(source_dir, entry.cFileName);
    std::wstring to = join(target_dir, entry.cFileName);
    OpResult result;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A folder link is not followed: its target lies outside the tree.
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      result = vemo_copy_dir_tree_w(from.c_str(), to.c_str(), override_existing);
    } else {
      result = copy_one_file(from, to, override_existing);
    }
    if (!result.success) return result;
  } while (FindNextFileW(find.get(), &entry));
  return init_op_result();
}

OpResult vemo_copy_file_or_directory(const wchar_t* source, const wchar_t* target, bool override_existing) {
  if (source == nullptr || target == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  DWORD attributes = GetFileAttributesW(to_long_path(std::wstring(source)).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return make_last_error_result();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return vemo_copy_dir_tree_w(source, target, override_existing);
  return copy_one_file(source, target, override_existing);
}

OpResult vemo_copy_file_or_directory_utf8(const char* source, const char* target, bool override_existing) {
  if (source == nullptr || target == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  return vemo_copy_file_or_directory(utf8_to_wstring(source).c_str(), utf8_to_wstring(target).c_str(),
                                     override_existing);
}
