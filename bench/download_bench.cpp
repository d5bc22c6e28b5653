// Times downloads through the whole road the scripts use: the submit entry,
// the pending queue, the download thread, the checks, the rename, and the
// answers taken from the Lua task queue.
//   download_bench <list> <folder>
// Every line of <list> is "<url> <name> <md5> <size>" (an md5 of "-" is not
// checked); each file is written
// to <folder>\<name>.part and renamed to <folder>\<name> once verified.
// Prints "seconds=<s> files=<n> bytes=<b> ok=<n verified>".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/lua_task_queue.h"
#include "core/text_convert.h"
#include "http/http.h"
#include "lua.hpp"

namespace {

struct Item {
  std::string url, name, md5;
  long long size = 0;
};

std::vector<Item> read_list(const std::wstring& path) {
  std::vector<Item> items;
  std::ifstream in(path.c_str());
  std::string line;
  while (std::getline(in, line)) {
    Item item;
    std::istringstream fields(line);
    if (fields >> item.url >> item.name >> item.md5 >> item.size) items.push_back(item);
  }
  return items;
}

double seconds_since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_bench <list> <folder>\n");
    return 2;
  }
  std::vector<Item> items = read_list(argv[1]);
  std::string folder = wstring_to_utf8(argv[2]);
  vmsdk_http_global_init();
  std::unique_ptr<lua_State, decltype(&lua_close)> L(luaL_newstate(), lua_close);

  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  long long bytes = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const Item& item = items[i];
    DownloadParams params{};
    VemoSDKHttp::set_param_text(params.taskId, "b" + std::to_string(i));
    VemoSDKHttp::set_param_text(params.file, folder + "\\" + item.name + ".part");
    VemoSDKHttp::set_param_text(params.dest, folder + "\\" + item.name);
    if (item.md5 != "-") VemoSDKHttp::set_param_text(params.checksum, item.md5);
    params.expect_size = item.size;
    _vemosdk_submit_download(static_cast<int64_t>(i) + 1, item.url.c_str(), {}, params);
    bytes += item.size;
  }
  _vemosdk_check_submit_download();

  // Ticks as the Lua side would until every download has answered.
  size_t answered = 0, ok = 0;
  while (answered < items.size()) {
    int count = LuaTaskQueue::getInstance()->tick(L.get());
    if (count == 4 && std::string(lua_tostring(L.get(), -4)) == "ASYNC_CALL") {
      ++answered;
      const char* json = lua_tostring(L.get(), -2);
      if (json && std::strstr(json, "\"status\":200")) ++ok;
    }
    lua_settop(L.get(), 0);
    if (count != 4) Sleep(1);
  }
  double seconds = seconds_since(start);
  std::printf("seconds=%.6f files=%zu bytes=%lld ok=%zu\n", seconds, items.size(), bytes, ok);
  return ok == items.size() ? 0 : 1;
}
