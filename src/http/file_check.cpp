#include "http/file_check.h"

#include <windows.h>

#include <cstdlib>

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/md5.h"
#include "core/owners.h"
#include "core/text_convert.h"
#include "core/win_utils.h"
#include "http/http_headers.h"

namespace VemoSDKHttp {
namespace {

bool replace_file(const std::wstring& destination, const std::wstring& path, DWORD& error) {
  error = 0;
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
  // The folder is there for all but the first file of a folder: its missing
  // parts are made only when the move finds no path.
  if (MoveFileExW(path.c_str(), destination.c_str(), flags)) return true;
  error = GetLastError();
  if (error != ERROR_PATH_NOT_FOUND) return false;
  if (!vemo_make_parent_dirs_w(destination.c_str())) {
    error = GetLastError();
    return false;
  }
  if (MoveFileExW(path.c_str(), destination.c_str(), flags)) return true;
  error = GetLastError();
  return false;
}

}  // namespace

bool checkFileValid(const std::wstring& path, const std::string& expected_md5, int64_t expected_size,
                    const std::string& known_md5, int64_t known_size) {
  std::string md5 = known_md5;
  if (!expected_md5.empty() && md5.empty()) {
    vemo::MallocPtr<char> digest(vemo_file_md5_hex(path.c_str(), 32));
    if (!digest) {
      vemo_debug_printf("checkFileValid failed, code:%d, msg:%s, path:%s", 7009001, "md5 failed",
                        wstring_to_utf8(path).c_str());
      return false;
    }
    md5 = digest.get();
  }
  int64_t size = known_size >= 0 ? known_size : vemo_file_length_w(path.c_str());
  bool md5_ok = expected_md5.empty() || iequals(md5, expected_md5);
  bool size_ok = expected_size <= 0 || size == expected_size;
  vemo_debug_printf("checkFileValid  result >>  path:%s, md5:%s, expect_md5:%s, size:%lld, expect_size:%lld, result:%d",
                    wstring_to_utf8(path).c_str(), md5.c_str(), expected_md5.c_str(), static_cast<long long>(size),
                    static_cast<long long>(expected_size), md5_ok && size_ok ? 1 : 0);
  return md5_ok && size_ok;
}

bool renameDownloadingFile(const std::wstring& destination, const std::wstring& path) {
  DWORD error = 0;
  if (replace_file(destination, path, error)) return true;
  // A scanner or indexer may hold the old file for a moment.
  Sleep(50);
  bool ok = replace_file(destination, path, error);
  vemo_debug_printf("renameDownloadingFile retry, filepath:%s, dst:%s, succ:%d, code:%lu, msg:%s",
                    wstring_to_utf8(path).c_str(), wstring_to_utf8(destination).c_str(), ok ? 1 : 0,
                    static_cast<unsigned long>(error), ok ? "" : wstring_to_utf8(windows_error_text(error)).c_str());
  // The caller reports the failed attempt's code, not the log's.
  if (!ok) SetLastError(error);
  return ok;
}

}  // namespace VemoSDKHttp
