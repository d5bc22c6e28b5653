// Ranged reads of files, 64-bit throughout: game files of 2 GiB and
// more are normal, and this is a 32-bit program.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/file_ops.h"

namespace {

vemo::UniqueHandle open_for_reading(const std::wstring& path) {
  return vemo::UniqueHandle(CreateFileW(to_long_path(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

}  // namespace

char* vemo_read_file_offset_length(const char* path, int64_t offset, int64_t length, size_t* out_count) {
  if (out_count) *out_count = 0;
  if (path == nullptr || *path == '\0' || offset < 0 || length < 0) return nullptr;
  vemo::UniqueHandle file = open_for_reading(utf8_to_wstring(path));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    vemo_debug_printf("load_json_file failed, errno = %lu\n", GetLastError());
    return nullptr;
  }
  int64_t available = offset < size.QuadPart ? size.QuadPart - offset : 0;
  int64_t wanted = length < available ? length : available;
  if (static_cast<uint64_t>(wanted) >= SIZE_MAX) {
    vemo_debug_printf("FAILE to load data %s\n", path);
    return nullptr;
  }
  vemo::MallocPtr<char> buffer(static_cast<char*>(std::malloc(static_cast<size_t>(wanted) + 1)));
  if (!buffer) {
    vemo_debug_printf("FAILE to load data %s\n", path);
    return nullptr;
  }
  LARGE_INTEGER position;
  position.QuadPart = offset;
  size_t count = 0;
  if (wanted > 0 && SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) {
    while (count < static_cast<size_t>(wanted)) {
      size_t left = static_cast<size_t>(wanted) - count;
      DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
      DWORD got = 0;
      if (!ReadFile(file.get(), buffer.get() + count, chunk, &got, nullptr) || got == 0) break;
      count += got;
    }
  }
  buffer.get()[count] = '\0';
  if (out_count) *out_count = count;
  return buffer.release();
}
