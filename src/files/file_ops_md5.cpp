// The file digest of the file operations: the SDK's one file MD5, with the
// result codes the batch answers carry.
#include <windows.h>

#include <string>

#include "core/debug_log.h"
#include "core/md5.h"
#include "core/string_utils.h"
#include "core/text_convert.h"
#include "files/file_ops.h"

OpResult vemo_file_md5(const wchar_t* path, char* out) {
  if (out == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return make_last_error_result();
  }
  out[0] = '\0';
  if (path == nullptr) return make_op_result(kFileOpFileOpenFailed, file_op_msg::kFileOpenFailed);
  unsigned char digest[16];
  switch (md5_of_file(path, digest)) {
    case FileDigestStatus::kOpenFailed:
      vemo_debug_printf("vemo_file_md5 failed, file open failed, errno = %lu\n", GetLastError());
      return make_op_result(kFileOpFileOpenFailed, file_op_msg::kFileOpenFailed);
    case FileDigestStatus::kReadFailed:
      return make_op_result(kFileOpReadFailed, file_op_msg::kReadError);
    case FileDigestStatus::kOk:
      break;
  }
  to_hex_string(digest, sizeof digest, out, 32);
  out[32] = '\0';
  return init_op_result();
}

OpResult vemo_file_md5_utf8(const char* path, char* out) {
  if (path == nullptr) return vemo_file_md5(nullptr, out);
  return vemo_file_md5(utf8_to_wstring(path).c_str(), out);
}
