#pragma once
// What the download engine takes from the SDK core: the debug log, text and
// path conversion, the file digest, folder creation, the Lua task queue and
// the SDK thread pool.
//
// TODO(core, spine, jsonpool): these are stand-ins until the shared
// utilities reach main; then this header only includes theirs.
#include <cstdint>
#include <functional>
#include <string>

#if defined(__GNUC__)
#define VEMO_HTTP_PRINTF(format_index, first_arg) __attribute__((format(gnu_printf, format_index, first_arg)))
#else
#define VEMO_HTTP_PRINTF(format_index, first_arg)
#endif

int vemo_debug_printf(const char* format, ...) VEMO_HTTP_PRINTF(1, 2);

std::wstring utf8_to_wstring(const std::string& text);
std::string wstring_to_utf8(const std::wstring& text);
std::wstring to_long_path(const std::wstring& path);
// Lowercase hex MD5 of a file into a malloc'd text (length 32), null on failure.
char* vemo_file_md5_hex(const wchar_t* path, int length);
// Size of a file, -1 when it cannot be opened.
int64_t vemo_file_length_w(const wchar_t* path);
// Creates the folder that holds path; true when it exists afterwards.
bool vemo_make_parent_dirs_w(const wchar_t* path);

namespace VemoSDKHttp {
// Runs a job once on the SDK thread pool.
bool submit_to_sdk_pool(std::function<void()> job);
// Posts to the Lua task queue: "ASYNC_CALL" results and named events.
void post_async_call(int64_t id, const std::string& json, const std::string& body);
void post_lua_event(const char* name, int64_t id, const std::string& json, bool keep_latest_only);
}  // namespace VemoSDKHttp
