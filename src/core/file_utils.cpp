#include "core/file_utils.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/debug_log.h"
#include "core/folders.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/program_relative.h"
#include "core/text_convert.h"

namespace {

FILE* open_for_reading(const std::string& path, const wchar_t* mode) {
  // Scripts name their files relative to the program: the program folder,
  // then its data folder, never the current folder.
  FILE* file = _wfopen(to_long_path(in_program_folder(path)).c_str(), mode);
  if (!file && is_relative_path(path)) file = _wfopen(to_long_path(get_vemo_data_path(path)).c_str(), mode);
  return file;
}

// Reads from the current position to the end; null on failure.
char* read_rest(FILE* file, const char* path, size_t* out_size) {
  long long start = _ftelli64(file);
  if (start < 0 || _fseeki64(file, 0, SEEK_END) != 0) return nullptr;
  long long end = _ftelli64(file);
  if (end < start || _fseeki64(file, start, SEEK_SET) != 0) return nullptr;
  unsigned long long size = static_cast<unsigned long long>(end - start);
  if (size >= SIZE_MAX) return nullptr;
  vemo::MallocPtr<char> buffer(static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1)));
  if (!buffer) {
    vemo_debug_printf("FAILE to load data %s", path);
    return nullptr;
  }
  // In text mode fewer bytes than the size arrive (CR LF becomes LF).
  size_t got = size ? std::fread(buffer.get(), 1, static_cast<size_t>(size), file) : 0;
  if (std::ferror(file)) return nullptr;
  buffer.get()[got] = '\0';
  if (out_size) *out_size = got;
  return buffer.release();
}

}  // namespace

char* vemo_read_file(const char* path, const wchar_t* mode, size_t* out_size) {
  if (out_size) *out_size = 0;
  if (!path || !*path || !mode) return nullptr;
  vemo::UniqueFile file(open_for_reading(path, mode));
  if (!file) return nullptr;
  return read_rest(file.get(), path, out_size);
}

bool vemo_read_file(const std::string& path, std::string& content, const wchar_t* mode) {
  size_t size = 0;
  vemo::MallocPtr<char> data(vemo_read_file(path.c_str(), mode, &size));
  if (!data) return false;
  content.assign(data.get(), size);
  return true;
}

std::wstring create_dirs_for_path_w(const std::wstring& path) {
  std::wstring absolute = get_full_path_w(path);
  if (!absolute.empty()) vemo_make_parent_dirs_w(absolute.c_str());
  return absolute;
}

std::wstring create_dirs_for_path(const std::string& path) {
  std::wstring wide = utf8_to_wstring(path);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return create_dirs_for_path_w(wide);
}

int vemo_write_file(const char* path, const void* data, size_t length, int append) {
  if (!path || !*path || !data) return -1;
  std::wstring absolute = get_full_path_w(utf8_to_wstring(path));
  if (absolute.empty() || absolute.size() >= static_cast<size_t>(kMaxLongPath)) return -1;
  create_dirs_for_path_w(absolute);
  FILE* file = _wfopen(to_long_path(absolute).c_str(), append ? L"ab" : L"wb");
  if (!file) return -1;
  size_t written = length ? std::fwrite(data, 1, length, file) : 0;
  // A full disk often shows only when the buffered rest is flushed.
  bool flushed = std::fflush(file) == 0;
  bool closed = std::fclose(file) == 0;
  if (!flushed || !closed) return -1;
  return written == length ? 1 : 0;
}

int vemo_delete_file(const char* path) {
  if (!path || !*path) return -1;
  return DeleteFileW(to_long_path(std::string(path)).c_str()) ? 0 : -1;
}

int64_t vemo_file_length_w(const wchar_t* path) {
  if (path == nullptr || *path == L'\0') return -1;
  vemo::UniqueHandle file(CreateFileW(to_long_path(std::wstring(path)).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) {
    vemo_debug_printf("load_json_file failed, errno = %lu\n", GetLastError());
    return -1;
  }
  return size.QuadPart;
}

int64_t vemo_file_length(const char* path) {
  if (path == nullptr) return -1;
  return vemo_file_length_w(utf8_to_wstring(path).c_str());
}
