// A program that hands itself over through the _vemosdk process functions,
// holding a single-instance mutex the way the launcher does. Each start
// appends "start second=<0|1>" to the report; then, by mode:
//   sdk_process_probe <report> <mutex> restart          restart_self on the first start only
//   sdk_process_probe <report> <mutex> hand-over <cmd>  launch_process_kill_self(cmd)
//   sdk_process_probe <report> <mutex> exit             exit, then (never) "after exit"
//   sdk_process_probe <report> <mutex> plain            nothing more
// A call that returns appends its results; the probe then ends with 3.
// Its exit lingers for a while (linger_at_exit.dll), as a real program's does
// while it tears down, so a new copy started too early still finds the mutex
// held.
#include <windows.h>

#include <lua.hpp>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/instance_lock.h"
#include "core/text_convert.h"
#include "sdk/exports.h"

namespace {

const char* g_report = nullptr;

void append(const std::string& line) {
  if (FILE* file = _wfopen(utf8_to_wstring(g_report).c_str(), L"ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

int starts_so_far() {
  int lines = 0;
  if (FILE* file = _wfopen(utf8_to_wstring(g_report).c_str(), L"rb")) {
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) lines += c == '\n';
    std::fclose(file);
  }
  return lines;
}

// Runs a chunk and appends what it returned, joined with ",".
void run_and_report(lua_State* L, const std::string& chunk) {
  if (luaL_dostring(L, chunk.c_str()) != LUA_OK) {
    append(std::string("error: ") + lua_tostring(L, -1));
    return;
  }
  std::string joined;
  for (int i = 1; i <= lua_gettop(L); ++i) {
    if (i > 1) joined += ",";
    joined += luaL_tolstring(L, i, nullptr);
    lua_pop(L, 1);
  }
  append(joined);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  g_report = argv[1];
  std::string mode = argv[3];
  bool first_start = starts_so_far() == 0;

  HANDLE mutex = CreateMutexW(nullptr, FALSE, utf8_to_wstring(argv[2]).c_str());
  bool second = GetLastError() == ERROR_ALREADY_EXISTS;
  append(std::string("start second=") + (second ? "1" : "0"));
  set_instance_lock_release([mutex] { CloseHandle(mutex); });
  if (!LoadLibraryW(L"linger_at_exit.dll")) return 4;

  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  vemosdk_init(L, nullptr, "1.0.9");
  if (mode == "restart" && first_start) {
    run_and_report(L, "return _vemosdk.restart_self()");
  } else if (mode == "hand-over" && argc >= 5) {
    lua_pushstring(L, argv[4]);
    lua_setglobal(L, "command");
    run_and_report(L, "return _vemosdk.launch_process_kill_self(command)");
  } else if (mode == "exit") {
    run_and_report(L, "_vemosdk.exit() return 'after exit'");
  } else {
    return 0;
  }
  return 3;
}
