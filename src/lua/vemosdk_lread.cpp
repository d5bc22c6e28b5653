#include "lua/vemosdk_lread.h"

#include <string>

#include <lua.hpp>

#include "core/file_utils.h"

namespace VemoSDK::LuaFiles {

int lread(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  std::string content;
  if (!vemo_read_file(path, content, L"rb")) {
    lua_pushnil(L);
    return 1;
  }
  lua_pushlstring(L, content.data(), content.size());
  return 1;
}

}  // namespace VemoSDK::LuaFiles
