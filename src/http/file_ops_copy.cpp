// Copying files and folder trees. A file is copied to a temporary name in the
// target's folder and moved over the target only when complete, so a copy cut
// short never leaves a partial file under the target's name.
#include <windows.h>

#include <atomic>
#include <string>

#include "core/path_utils.h"
#include "core/raii.h"
#include "core/text_convert.h"
#include "http/file_ops.h"

namespace {

std::wstring join(const std::wstring& folder, const wchar_t* name) {
  std::wstring out = folder;
  if (!out.empty() && out.back() != L'\\' && out.back() != L'/') out += L'\\';
  return out + name;
}

constexpr wchar_t kTemporaryPrefix[] = L"~vemocopy-";

// A short name beside the target, unique in this process and across
// processes: a long target name must not push the temporary one past the
// length limit of a file name.
std::wstring temporary_name_beside(const std::wstring& target) {
  static std::atomic<unsigned> counter{0};
  size_t end = target.find_last_of(L"\\/");
  std::wstring folder = end == std::wstring::npos ? std::wstring() : target.substr(0, end + 1);
  wchar_t name[64];
  swprintf(name, 64, L"%ls%lx-%x.tmp", kTemporaryPrefix, GetCurrentProcessId(), counter.fetch_add(1) + 1);
  return folder + name;
}

void discard_temporary(const std::wstring& long_temp) {
  SetFileAttributesW(long_temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(long_temp.c_str());
}

OpResult copy_one_file(const std::wstring& source, const std::wstring& target, bool override_existing) {
  if (!vemo_make_parent_dirs_w(target.c_str())) return make_last_error_result();
  std::wstring long_target = to_long_path(target);
  if (!override_existing && GetFileAttributesW(long_target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetLastError(ERROR_FILE_EXISTS);
    return make_last_error_result();
  }
  std::wstring long_temp = to_long_path(temporary_name_beside(target));
  discard_temporary(long_temp);  // left behind by an earlier process of the same id
  if (!CopyFileExW(to_long_path(source).c_str(), long_temp.c_str(), nullptr, nullptr, nullptr,
                   COPY_FILE_ALLOW_DECRYPTED_DESTINATION)) {
    DWORD error = GetLastError();
    discard_temporary(long_temp);
    SetLastError(error);
    return make_last_error_result();
  }
  DWORD flags = MOVEFILE_WRITE_THROUGH | (override_existing ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExW(long_temp.c_str(), long_target.c_str(), flags)) {
    DWORD error = GetLastError();
    discard_temporary(long_temp);
    // Another writer created the target since the check above.
    if (!override_existing && error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    SetLastError(error);
    return make_last_error_result();
  }
  return init_op_result();
}

}  // namespace

void vemo_remove_stale_copies_w(const wchar_t* folder) {
  if (folder == nullptr) return;
  std::wstring dir = folder;
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(
      FindFirstFileW(to_long_path(join(dir, (std::wstring(kTemporaryPrefix) + L"*.tmp").c_str())).c_str(), &entry));
  if (!find) return;
  do {
    // A copy still being written is open without delete sharing: it stays.
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      discard_temporary(to_long_path(join(dir, entry.cFileName)));
  } while (FindNextFileW(find.get(), &entry));
}

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
