#include "exclusive_write.h"

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/path_utils.h"

#include <algorithm>

namespace {

bool is_lock_error(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}

// One pass over the files; false with the first failure filled in.
bool try_open_all(const std::vector<std::string>& paths, ExclusiveWriteCheck& check) {
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    vemo::UniqueHandle file(CreateFileW(to_long_path(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) continue;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;
    check.path = path;
    check.error = error;
    return false;
  }
  return true;
}

}  // namespace

ExclusiveWriteCheck can_write_files_exclusive(const std::vector<std::string>& paths, int retries, int sleep_ms) {
  retries = std::max(retries, 0);
  sleep_ms = std::max(sleep_ms, 0);
  ExclusiveWriteCheck check;
  for (;;) {
    ++check.attempts;
    check.path.clear();
    check.error = 0;
    if (try_open_all(paths, check)) {
      if (check.attempts > 1)
        vemo_debug_printf("can_write_files_exclusive: became writable after %d retry\n", check.attempts - 1);
      check.writable = true;
      return check;
    }
    bool retryable = is_lock_error(check.error);
    if (!retryable || check.attempts > retries) {
      vemo_debug_printf("can_write_files_exclusive: locked path=%s err=%lu attempt=%d retryable=%d\n",
                        check.path.c_str(), check.error, check.attempts, retryable ? 1 : 0);
      check.writable = false;
      return check;
    }
    Sleep(static_cast<DWORD>(sleep_ms));
  }
}
