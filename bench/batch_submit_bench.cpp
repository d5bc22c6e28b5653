// What a large download list costs the Lua thread: one submit_download_list
// call from Lua, then a tick every 100 ms as the programs tick, draining the
// task queue each time, until every file of the list has its result.
//   batch_submit_bench <list> <base url> <folder>
// Every line of <list> is "<name> <md5> <size>"; each file goes to
// <folder>\<name>.part and is renamed to <folder>\<name> once verified.
// Prints "files=<n> ok=<n> submit_ms=<ms> seconds=<s> ticks=<n> tasks=<n>
// bundles=<n> most_items=<n> progress_items=<n>".
#include <windows.h>

#include <cjson/cJSON.h>
#include <lua.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "core/text_convert.h"
#include "sdk/exports.h"

namespace {

double ms_between(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The list as submit_download_list takes it.
std::string list_json(const std::wstring& path, const std::string& folder, size_t& count) {
  cJSON* list = cJSON_CreateArray();
  std::ifstream in(path.c_str());
  std::string line;
  count = 0;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, md5;
    long long size = 0;
    if (!(fields >> name >> md5 >> size)) continue;
    cJSON* item = cJSON_CreateObject();
    cJSON_AddNumberToObject(item, "cbid", static_cast<double>(++count));
    cJSON_AddStringToObject(item, "taskId", ("bench-" + std::to_string(count)).c_str());
    cJSON_AddStringToObject(item, "encode_path", name.c_str());
    cJSON_AddStringToObject(item, "checksum", md5.c_str());
    cJSON_AddNumberToObject(item, "expect_size", static_cast<double>(size));
    cJSON_AddStringToObject(item, "file", (folder + "\\" + name + ".part").c_str());
    cJSON_AddStringToObject(item, "dest", (folder + "\\" + name).c_str());
    cJSON_AddItemToArray(list, item);
  }
  char* printed = cJSON_PrintUnformatted(list);
  std::string text = printed ? printed : "[]";
  cJSON_free(printed);
  cJSON_Delete(list);
  return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: batch_submit_bench <list> <base url> <folder>\n");
    return 2;
  }
  size_t files = 0;
  std::string list = list_json(argv[1], wstring_to_utf8(argv[3]), files);
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  vemosdk_init(L, nullptr, "1.0.9");
  lua_pushlstring(L, list.data(), list.size());
  lua_setglobal(L, "LIST");
  lua_pushstring(L, wstring_to_utf8(argv[2]).c_str());
  lua_setglobal(L, "BASE");
  // Whatever start-up left waiting is not the list's.
  while (luaL_dostring(L, "return _vemosdk.tick()") == LUA_OK && !lua_isnil(L, -1)) lua_settop(L, 0);
  lua_settop(L, 0);

  LARGE_INTEGER start, submitted;
  QueryPerformanceCounter(&start);
  if (luaL_dostring(L, "_vemosdk.submit_download_list(424242, {list = LIST, file_ext = {base_url = BASE}})") != LUA_OK) {
    std::fprintf(stderr, "submit_download_list: %s\n", lua_tostring(L, -1));
    return 1;
  }
  QueryPerformanceCounter(&submitted);

  size_t results = 0, ok = 0, ticks = 0, tasks = 0, bundles = 0, most_items = 0, progress_items = 0;
  while (results < files) {
    Sleep(100);
    ++ticks;
    for (;;) {
      lua_settop(L, 0);
      lua_getglobal(L, "_vemosdk");
      lua_getfield(L, -1, "tick");
      lua_call(L, 0, 4);
      if (lua_isnil(L, -4)) break;
      ++tasks;
      if (std::string(lua_tostring(L, -4)) != "BATCH_SUBMIT_EVENT") continue;
      ++bundles;
      cJSON* bundle = cJSON_Parse(lua_tostring(L, -2));
      const cJSON* items = cJSON_GetObjectItemCaseSensitive(bundle, "list");
      size_t count = 0;
      for (const cJSON* item = items ? items->child : nullptr; item; item = item->next, ++count) {
        const cJSON* type = cJSON_GetObjectItemCaseSensitive(item, "cb_type");
        if (cJSON_IsString(type) && std::string(type->valuestring) == "ASYNC_CALL") {
          ++results;
          const cJSON* status = cJSON_GetObjectItemCaseSensitive(item, "status");
          if (cJSON_IsNumber(status) && status->valueint == 200) ++ok;
        } else if (!cJSON_GetObjectItemCaseSensitive(item, "type")) {
          ++progress_items;
        }
      }
      if (count > most_items) most_items = count;
      cJSON_Delete(bundle);
    }
  }
  LARGE_INTEGER end;
  QueryPerformanceCounter(&end);
  std::printf("files=%zu ok=%zu submit_ms=%.1f seconds=%.3f ticks=%zu tasks=%zu bundles=%zu most_items=%zu "
              "progress_items=%zu\n",
              files, ok, ms_between(start, submitted), ms_between(start, end) / 1000.0, ticks, tasks, bundles,
              most_items, progress_items);
  return ok == files ? 0 : 1;
}
