#include "lua/vemosdk_media_functions.h"

#include "media/voice_media.h"

#include <lua.hpp>

#include <cstdint>

namespace VemoSDK::LuaMedia {

namespace {

using Operation = void (*)(int64_t id, const char* request, size_t length);

// Every row reads the same two arguments; the stop rows ignore the text.
int forward(lua_State* L, Operation operation) {
  int64_t id = luaL_checkinteger(L, 1);
  size_t length = 0;
  const char* request = luaL_optlstring(L, 2, "{}", &length);
  operation(id, request, length);
  return 0;
}

}  // namespace

int startRecord(lua_State* L) { return forward(L, Media::startRecording); }
int stopRecord(lua_State* L) {
  return forward(L, [](int64_t id, const char*, size_t) { Media::stopRecording(id); });
}
int startPlay(lua_State* L) { return forward(L, Media::startPlayback); }
int stopPlay(lua_State* L) {
  return forward(L, [](int64_t id, const char*, size_t) { Media::stopPlayback(id); });
}
int deleteRecords(lua_State* L) { return forward(L, Media::deleteRecords); }

}  // namespace VemoSDK::LuaMedia
