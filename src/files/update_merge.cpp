// Each staged file replaces its target through a temporary copy beside it
// (vemo_copy_file_or_directory), so a merge cut short leaves every program
// file either old or new; a staged file is removed only once its copy is in
// place, so the next start finishes what is left.
#include "files/update_merge.h"

#include <windows.h>

#include <cwchar>

#include "core/debug_log.h"
#include "core/link_check.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/file_ops.h"

namespace {

bool is_dot_entry(const wchar_t* name) { return std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0; }

// Windows drops the trailing dots and blanks of a name, so a staged ".. "
// would stand for the parent folder and "..." for the folder itself. Such
// names come only from other systems; they are never merged.
bool keeps_its_name(const std::wstring& name) {
  return !name.empty() && name.back() != L'.' && name.back() != L' ';
}

OpResult refuse(const std::wstring& staged) {
  vemo_debug_printf("staged entry refused, its name would land elsewhere: %s\n", wstring_to_utf8(staged).c_str());
  return make_op_result(kFileOpPathOutsideBase, file_op_msg::kOutsideBase);
}

// A link (a junction or a symbolic link, to a file or a folder) stands for
// something outside the stage: merging it would move those files in and
// removing it may take its target along (Wine deletes the target of a file
// link). It is left as it is, and so is the folder holding it.
OpResult leave_link(const std::wstring& staged) {
  vemo_debug_printf("staged entry is a link, left as it is: %s\n", wstring_to_utf8(staged).c_str());
  return make_op_result(kFileOpPathOutsideBase, file_op_msg::kOutsideBase);
}

OpResult merge_entry(const std::wstring& staged, const std::wstring& target, DWORD attributes);

// Removes a staged entry once it is merged. One that cannot be removed is
// merged again next time: harmless.
void remove_merged(const std::wstring& staged) {
  vemo_debug_printf("vemo_copy_file_or_directory success, ready to remove this directory.\n");
  OpResult removed = vemo_remove_file_or_directory(staged.c_str());
  if (removed.success)
    vemo_debug_printf("vemo_remove_file_or_directory success.\n");
  else
    vemo_debug_printf("vemo_remove_file_or_directory failed, src_path_w = %s, code = %d\n",
                      wstring_to_utf8(staged).c_str(), removed.code);
}

OpResult merge_file(const std::wstring& staged, const std::wstring& target) {
  OpResult copied = vemo_copy_file_or_directory(staged.c_str(), target.c_str(), true);
  if (!copied.success) {
    vemo_debug_printf("vemo_copy_file_or_directory failed, src_path_w = %s, code = %d\n",
                      wstring_to_utf8(staged).c_str(), copied.code);
    return copied;
  }
  remove_merged(staged);
  return init_op_result();
}

// Merges every entry of a staged folder into the target folder, carrying on
// past a failing one; the last failure, or success.
OpResult merge_entries(const std::wstring& staged, const std::wstring& target) {
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(staged + L"\\*").c_str(), &entry));
  if (!find) return make_op_result(kFileOpPathNotExists, file_op_msg::kPathNotExists);
  OpResult outcome = init_op_result();
  std::wstring resolved_staged = resolved_path_of(staged);
  do {
    if (is_dot_entry(entry.cFileName)) continue;
    vemo_debug_printf("strUTF8 = %s\n", wstring_to_utf8(entry.cFileName).c_str());
    std::wstring from = staged + L"\\" + entry.cFileName;
    OpResult result = !keeps_its_name(entry.cFileName)                           ? refuse(from)
                      : is_link_entry(resolved_staged, staged, entry.cFileName) ? leave_link(from)
                      : merge_entry(from, target + L"\\" + entry.cFileName, entry.dwFileAttributes);
    if (!result.success) outcome = result;
  } while (FindNextFileW(find.get(), &entry));
  return outcome;
}

// The staged folder goes once everything in it was merged.
OpResult merge_folder(const std::wstring& staged, const std::wstring& target) {
  if (!vemo_create_dir_tree_w(target.c_str())) return make_last_error_result();
  vemo_remove_stale_copies_w(target.c_str());  // an earlier merge may have been killed
  OpResult outcome = merge_entries(staged, target);
  if (outcome.success) remove_merged(staged);
  return outcome;
}

bool has_gone(const std::wstring& staged) {
  if (GetFileAttributesW(to_long_path(staged).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

OpResult merge_entry(const std::wstring& staged, const std::wstring& target, DWORD attributes) {
  std::string shown = wstring_to_utf8(staged);
  // Something else may have taken a staged entry away since the listing:
  // there is nothing left to merge, and nothing failed.
  if (has_gone(staged)) {
    vemo_debug_printf("srcPath not exist, no need to copy, srcPath = %s\n", shown.c_str());
    return init_op_result();
  }
  vemo_debug_printf("src_path_w is exist, src_path_w = %s\n", shown.c_str());
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return merge_file(staged, target);
  return merge_folder(staged, target);
}

std::string without_trailing_separators(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

}  // namespace

bool merge_staged_update(const std::string& program_dir) {
  vemo_debug_printf("copy_directory_from_update_to_exe called\n");
  std::wstring folder = utf8_to_wstring(without_trailing_separators(program_dir));
  vemo_remove_file_or_directory((folder + L"\\.vemoold").c_str());
  std::wstring staged = folder + L"\\.update";
  if (passes_through_link(folder, staged)) return leave_link(staged).success;
  if (!vemo_is_directory_w(staged.c_str())) {
    vemo_debug_printf("no .update directory, nothing to merge.\n");
    return true;
  }
  vemo_remove_stale_copies_w(folder.c_str());
  // ".update" itself stays, empty after a full merge.
  bool all_ok = merge_entries(staged, folder).success;
  vemo_debug_printf("copy_directory_from_update_to_exe finished, allOk = %d\n", all_ok ? 1 : 0);
  return all_ok;
}

bool copy_directory_from_update_to_exe() { return merge_staged_update(get_program_dir()); }
