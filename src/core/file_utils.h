#pragma once
// Whole-file reads and writes, sizes, and the folders on the way to a file,
// on UTF-8 paths (every Windows call goes through to_long_path). Writing a
// file in one step is core/file_replace.h; making and removing folders
// core/folders.h and core/dir_tree.h.
#include <cstddef>
#include <cstdint>
#include <string>

// Reads a whole file opened with the wide fopen mode (for example L"rb").
// A relative path is looked for as given, then under the program folder's
// "vemo\" and then under the program folder. Returns a malloc'd buffer with a
// terminator after the content, and the bytes read in out_size; null when the
// file cannot be opened or read.
char* vemo_read_file(const char* path, const wchar_t* mode, size_t* out_size);
// The same into a string; false when the file cannot be opened or read.
bool vemo_read_file(const std::string& path, std::string& content, const wchar_t* mode = L"rb");

// Writes (append 0) or appends (append non-zero) a buffer, creating the
// missing folders of the path. 1 when every byte reached the disk, 0 when
// fewer were written, -1 on error (including a failing flush or close).
int vemo_write_file(const char* path, const void* data, size_t length, int append);

// 0 deleted, -1 empty path or failure.
int vemo_delete_file(const char* path);

// Creates every folder on the way to path ("/" or "\" separated; the last
// component is taken as a file name and not created; vemo_make_parent_dirs_w
// logs a folder that cannot be made) and returns the absolute path; empty
// when it cannot be made absolute.
std::wstring create_dirs_for_path(const std::string& path);
std::wstring create_dirs_for_path_w(const std::wstring& path);

// Size in bytes, -1 when the file cannot be opened.
std::int64_t vemo_file_length(const char* path);
std::int64_t vemo_file_length_w(const wchar_t* path);
