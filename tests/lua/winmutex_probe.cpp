// A second program for the named-mutex tests: opens the mutex module through
// the exported luaopen_winmutex into a plain Lua state (as `M`), runs a chunk
// and appends what it returned to a report, one line. With a release file it
// then waits until that file exists, runs the optional second chunk, and
// ends (a mutex still held is left abandoned).
//   winmutex_probe <report> <chunk> [<release file> [<chunk after release>]]
#include <windows.h>

#include <lua.hpp>

#include <cstdio>
#include <string>

#include "core/text_convert.h"
#include "sdk/exports.h"

namespace {

void append(const char* report, const std::string& line) {
  if (FILE* file = _wfopen(utf8_to_wstring(report).c_str(), L"ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

std::string run(lua_State* L, const char* chunk) {
  lua_settop(L, 0);
  if (luaL_dostring(L, chunk) != LUA_OK) return std::string("error: ") + lua_tostring(L, -1);
  std::string joined;
  int results = lua_gettop(L);
  for (int i = 1; i <= results; ++i) {
    if (i > 1) joined += ",";
    joined += luaL_tolstring(L, i, nullptr);
    lua_pop(L, 1);
  }
  return joined;
}

bool wait_for_file(const char* path) {
  std::wstring wide = utf8_to_wstring(path);
  for (int i = 0; i < 1200; ++i) {
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  luaL_requiref(L, "M", luaopen_winmutex, 1);
  append(argv[1], run(L, argv[2]));
  if (argc >= 4) {
    if (!wait_for_file(argv[3])) return 4;
    if (argc >= 5) append(argv[1], run(L, argv[4]));
  }
  return 0;
}
