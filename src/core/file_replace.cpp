#include "core/file_replace.h"

#include <windows.h>

#include <atomic>
#include <cwchar>

#include "core/folders.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"

namespace {

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

// Deletes the temporary file and keeps the error that made it go.
bool fail_and_discard(const std::wstring& long_temp) {
  DWORD error = GetLastError();
  discard_temporary(long_temp);
  SetLastError(error);
  return false;
}

bool write_all(HANDLE file, const void* data, size_t length) {
  const char* next = static_cast<const char*>(data);
  while (length > 0) {
    DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
    DWORD written = 0;
    if (!WriteFile(file, next, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    next += written;
    length -= written;
  }
  return true;
}

}  // namespace

bool write_file_replacing(const std::string& path, const void* data, size_t length) {
  if (path.empty() || (!data && length > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::wstring target = get_full_path_w(utf8_to_wstring(path));
  if (target.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  if (!vemo_make_parent_dirs_w(target.c_str())) return false;
  std::wstring long_temp = to_long_path(temporary_name_beside(target));
  {
    // Opened without sharing: a clean-up of stale copies leaves it alone.
    vemo::UniqueHandle file(
        CreateFileW(long_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    if (!write_all(file.get(), data, length)) return fail_and_discard(long_temp);
  }
  if (!MoveFileExW(long_temp.c_str(), to_long_path(target).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return fail_and_discard(long_temp);
  return true;
}

bool copy_file_replacing(const std::wstring& source, const std::wstring& target, bool override_existing) {
  if (!vemo_make_parent_dirs_w(target.c_str())) return false;
  std::wstring long_target = to_long_path(target);
  if (!override_existing && GetFileAttributesW(long_target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    SetLastError(ERROR_FILE_EXISTS);
    return false;
  }
  std::wstring long_temp = to_long_path(temporary_name_beside(target));
  discard_temporary(long_temp);  // left behind by an earlier process of the same id
  if (!CopyFileExW(to_long_path(source).c_str(), long_temp.c_str(), nullptr, nullptr, nullptr,
                   COPY_FILE_ALLOW_DECRYPTED_DESTINATION))
    return fail_and_discard(long_temp);
  DWORD flags = MOVEFILE_WRITE_THROUGH | (override_existing ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExW(long_temp.c_str(), long_target.c_str(), flags)) {
    DWORD error = GetLastError();
    discard_temporary(long_temp);
    // Another writer created the target since the check above.
    if (!override_existing && error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    SetLastError(error);
    return false;
  }
  return true;
}

void vemo_remove_stale_copies_w(const wchar_t* folder) {
  if (folder == nullptr) return;
  std::wstring dir = folder;
  if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(
      FindFirstFileW(to_long_path(dir + kTemporaryPrefix + L"*.tmp").c_str(), &entry));
  if (!find) return;
  do {
    // A copy still being written is open without delete sharing: it stays.
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) discard_temporary(to_long_path(dir + entry.cFileName));
  } while (FindNextFileW(find.get(), &entry));
}
