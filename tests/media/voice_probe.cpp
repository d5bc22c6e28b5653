// A program that records and plays voice through the _vemosdk media
// functions, for the end-to-end tests that feed and measure the sound
// natively. Its records go to "records\" beside it. It prints each answer
// as "answer <id> <json> buffer=<bytes>" and each event as "event <name> <id>":
//   voice_probe record <rate> <name> <seconds>  records that long (trying a second
//                                               start on the way), then stops
//   voice_probe play <path> [<stop after ms>]   plays, tries a second start,
//                                               stops early when asked
#include <windows.h>

#include <lua.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sdk/exports.h"
#include "lua_values.h"
#include "media/voice_media.h"

namespace {

using vemo::test::pop_values;

lua_State* g_L = nullptr;

void call(const std::string& function, int id, const std::string& json) {
  lua_getglobal(g_L, "_vemosdk");
  lua_getfield(g_L, -1, function.c_str());
  lua_pushinteger(g_L, id);
  lua_pushstring(g_L, json.c_str());
  lua_call(g_L, 2, 0);
  lua_pop(g_L, 1);
}

// Ticks for up to ms, printing every task; true once the answer for
// wanted_id (or, with wanted_id 0, the event wanted_event) has come.
bool tick_for(int ms, int wanted_id, const char* wanted_event = nullptr) {
  DWORD until = GetTickCount() + static_cast<DWORD>(ms);
  while (static_cast<LONG>(until - GetTickCount()) > 0) {
    lua_settop(g_L, 0);
    lua_getglobal(g_L, "_vemosdk");
    lua_getfield(g_L, -1, "tick");
    lua_remove(g_L, 1);
    lua_call(g_L, 0, LUA_MULTRET);
    int count = lua_gettop(g_L);
    if (count < 4) {
      lua_settop(g_L, 0);
      Sleep(5);
      continue;
    }
    size_t buffer_bytes = 0;
    if (lua_type(g_L, 4) == LUA_TSTRING) lua_tolstring(g_L, 4, &buffer_bytes);
    auto values = pop_values(g_L, count);
    std::string id = values[1].substr(1);
    if (values[0] == "ASYNC_CALL")
      std::printf("answer %s %s buffer=%zu\n", id.c_str(), values[2].c_str(), buffer_bytes);
    else
      std::printf("event %s %s\n", values[0].c_str(), id.c_str());
    std::fflush(stdout);
    if (wanted_id && values[0] == "ASYNC_CALL" && id == std::to_string(wanted_id)) return true;
    if (wanted_event && values[0] == wanted_event) return true;
  }
  return false;
}

int record(int rate, const std::string& name, double seconds) {
  call("media_start_record", 1,
       "{\"filename\":\"" + name + "\",\"format\":\"amr\",\"sampling_rate\":" + std::to_string(rate) + "}");
  if (!tick_for(10000, 1)) return 3;
  // A second start while recording is refused and leaves the first running.
  call("media_start_record", 6, "{\"filename\":\"other\",\"format\":\"amr\",\"sampling_rate\":16000}");
  if (!tick_for(10000, 6)) return 3;
  // Stop as soon as the capture holds the wanted length of sound, so that
  // the record's length does not depend on how fast this machine is.
  size_t wanted = static_cast<size_t>(rate * 2 * seconds);
  DWORD deadline = GetTickCount() + 20000;
  while (VemoSDK::Media::capturedBytes() < wanted && static_cast<LONG>(deadline - GetTickCount()) > 0) Sleep(1);
  call("media_stop_record", 2, "{}");
  return tick_for(10000, 2) ? 0 : 3;
}

std::string quoted_json(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

int play(const std::string& path, int stop_after_ms) {
  std::string request = "{\"filepath\":" + quoted_json(path) + "}";
  call("media_start_play", 3, request);
  if (!tick_for(10000, 3)) return 3;
  call("media_start_play", 4, request);
  if (!tick_for(10000, 4)) return 3;
  if (stop_after_ms > 0) {
    tick_for(stop_after_ms, 0);
    call("media_stop_play", 5, "{}");
    if (!tick_for(10000, 5)) return 3;
    tick_for(1500, 0);  // any event after the stop would show here
  } else {
    tick_for(20000, 0, "MEDIA_PLAY");
  }
  std::printf("done\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  g_L = luaL_newstate();
  luaL_openlibs(g_L);
  vemosdk_init(g_L, nullptr, "1.0.9");
  std::string mode = argv[1];
  if (mode == "record" && argc >= 5) return record(std::atoi(argv[2]), argv[3], std::atof(argv[4]));
  if (mode == "play") return play(argv[2], argc >= 4 ? std::atoi(argv[3]) : 0);
  return 2;
}
