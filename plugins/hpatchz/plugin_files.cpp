#include "plugin_files.h"

#include <windows.h>

#include <memory>

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle open_file(const std::wstring& path, DWORD access, DWORD disposition) {
  return FileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::wstring to_wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                   nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

bool path_exists(const std::string& path) {
  std::wstring wide = to_wide(path);
  return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool read_whole_file(const std::string& path, Bytes& out) {
  std::wstring wide = to_wide(path);
  if (wide.empty()) return false;
  FileHandle file = open_file(wide, GENERIC_READ, OPEN_EXISTING);
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > INT32_MAX) return false;
  out.assign(static_cast<size_t>(size.QuadPart), 0);
  size_t done = 0;
  while (done < out.size()) {
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(out.size() - done > (1u << 24) ? (1u << 24) : out.size() - done);
    if (!ReadFile(file.get(), out.data() + done, want, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

bool write_file_replacing(const std::string& path, const Bytes& data) {
  std::wstring target = to_wide(path);
  if (target.empty()) return false;
  std::wstring temporary = target + L".patching";
  {
    FileHandle file = open_file(temporary, GENERIC_WRITE, CREATE_ALWAYS);
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < data.size()) {
      DWORD wrote = 0;
      DWORD want = static_cast<DWORD>(data.size() - done > (1u << 24) ? (1u << 24) : data.size() - done);
      ok = WriteFile(file.get(), data.data() + done, want, &wrote, nullptr) && wrote == want;
      done += wrote;
    }
    if (!ok) {
      file.reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}
