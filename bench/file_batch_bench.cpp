// Times one batch file operation through the whole road the scripts use: the
// starter, the batch's thread, and the answer taken from the Lua task queue.
//   file_batch_bench md5 <folder> <digest list out>
//   file_batch_bench copy <source folder> <target folder>
// Prints "seconds=<s> files=<n> bytes=<b> succ=<0|1>".
#include <windows.h>

#include <cjson/cJSON.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/lua_task_queue.h"
#include "core/text_convert.h"
#include "files/file_batch.h"
#include "lua.hpp"

namespace {

struct JsonDeleter {
  void operator()(cJSON* json) const { cJSON_Delete(json); }
};
using Json = std::unique_ptr<cJSON, JsonDeleter>;

// The files of a folder (not its sub-folders) as a JSON array of names.
Json file_names(const std::wstring& folder, long long& bytes) {
  Json names(cJSON_CreateArray());
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    cJSON_AddItemToArray(names.get(), cJSON_CreateString(wstring_to_utf8(entry.cFileName).c_str()));
    bytes += (static_cast<long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

// Ticks the queue as the Lua side would until the answer for id arrives.
Json wait_for_answer(int64_t id) {
  std::unique_ptr<lua_State, decltype(&lua_close)> L(luaL_newstate(), lua_close);
  for (;;) {
    int count = LuaTaskQueue::getInstance()->tick(L.get());
    if (count == 4 && lua_tointeger(L.get(), -3) == id) return Json(cJSON_Parse(lua_tostring(L.get(), -2)));
    lua_settop(L.get(), 0);
    if (count != 4) Sleep(1);
  }
}

double seconds_since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: file_batch_bench md5 <folder> <digests out> | copy <source> <target>\n");
    return 2;
  }
  std::wstring mode = argv[1];
  std::string first = wstring_to_utf8(argv[2]);
  std::string second = wstring_to_utf8(argv[3]);
  long long bytes = 0;
  Json names = file_names(argv[2], bytes);
  int files = cJSON_GetArraySize(names.get());

  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  Json answer;
  if (mode == L"md5") {
    vemo_file_batch_md5(names.get(), 1, first.c_str());
    answer = wait_for_answer(1);
  } else if (mode == L"copy") {
    Json pairs(cJSON_CreateObject());
    const cJSON* name = nullptr;
    cJSON_ArrayForEach(name, names.get()) cJSON_AddStringToObject(pairs.get(), name->valuestring, name->valuestring);
    Json options(cJSON_CreateObject());
    cJSON_AddStringToObject(options.get(), "src_base_path", first.c_str());
    cJSON_AddStringToObject(options.get(), "dst_base_path", second.c_str());
    vemo_file_batch_copy(pairs.get(), options.get(), true, 2);
    answer = wait_for_answer(2);
  } else {
    std::fprintf(stderr, "unknown mode\n");
    return 2;
  }
  double seconds = seconds_since(start);
  bool succ = cJSON_IsTrue(cJSON_GetObjectItemCaseSensitive(answer.get(), "succ"));

  if (mode == L"md5") {
    // "digest  name" lines, as md5sum writes them, for the script to compare.
    FILE* out = _wfopen(argv[3], L"wb");
    const cJSON* digest = nullptr;
    cJSON_ArrayForEach(digest, cJSON_GetObjectItemCaseSensitive(answer.get(), "succ_data")) {
      if (out) std::fprintf(out, "%s  %s\n", digest->valuestring, digest->string);
    }
    if (out) std::fclose(out);
  }
  std::printf("seconds=%.6f files=%d bytes=%lld succ=%d\n", seconds, files, bytes, succ ? 1 : 0);
  return succ ? 0 : 1;
}
