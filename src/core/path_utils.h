#pragma once
// Long paths, path joining and the program's own folders. Paths are UTF-8 at
// every interface and UTF-16 only for Windows calls.
#include <cstddef>
#include <string>

constexpr size_t kLongPathThreshold = 248;  // absolute paths this long get the "\\?\" form
constexpr int kMaxLongPath = 2048;          // characters of the path buffers ("MAX_LONG_PATH")

// The form every Windows file call takes: a path whose absolute form is
// kLongPathThreshold characters or longer becomes absolute, with backslashes
// only, behind "\\?\" ("\\?\UNC\server\share\..." for a UNC path). Shorter
// paths, and paths already in that form, come back unchanged.
std::wstring to_long_path(const std::wstring& path);
std::wstring to_long_path(const std::string& utf8_path);
// to_long_path into a malloc'd buffer (null for null).
wchar_t* normalize_long_path_dup(const wchar_t* path);

// Absolute form of a path (GetFullPathNameW); empty on failure.
std::wstring get_full_path_w(const std::wstring& path);
// Absolute form of a UTF-8 path; the input itself when that form is empty or
// kMaxLongPath characters or longer (logged).
std::string vemo_get_full_path(const std::string& path);

// Appends sub to base in place; base is a buffer of kMaxLongPath characters.
// The result is absolute, with backslashes. 1 on success, 0 on failure (logged).
int VemoPathAppendW(wchar_t* base, const wchar_t* sub);
// The same on strings; false on failure.
bool vemo_path_append(const std::wstring& base, const std::wstring& sub, std::wstring& out);

// The executable's full path; empty when Windows cannot say.
std::wstring get_program_path_w();
// Folder of the executable with a trailing backslash.
std::string get_program_dir();
std::wstring get_program_dir_w();
// The same without the trailing backslash.
std::string get_program_dir_copy();
// The executable's full path with its file name replaced by name (or, with
// append set, with name appended to it).
std::wstring get_module_relative_path(const std::wstring& name, bool append);
// Program folder + "vemo\" + name, and program folder + name.
std::string get_vemo_data_path(const std::string& name);
std::string get_program_file_path(const std::string& name);

// A path with neither a drive, nor a leading slash or backslash: it names a
// place only together with some folder.
bool is_relative_path(const std::string& path);

bool file_exists(const std::wstring& path);
bool file_exists(const std::string& utf8_path);
// "C:..." or "file://C:..." (a drive letter and a colon).
bool is_local_file_path(const std::string& path);
