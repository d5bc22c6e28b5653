#include "lua/qrcode/qrcode_function.h"

#include <lua.hpp>

#include <vector>

#include "lua/qrcode/qrcode_bitmap.h"

namespace VemoSDK::LuaQrcode {

int qrcodeGenBmp(lua_State* L) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, 1, &length);
  std::vector<std::uint8_t> bmp;
  if (!qrcodeBitmap(text, length, bmp)) {
    lua_pushboolean(L, 0);
    lua_pushstring(L, "Generate QRCode Failed.\n");
    return 2;
  }
  lua_pushboolean(L, 1);
  lua_pushlstring(L, reinterpret_cast<const char*>(bmp.data()), bmp.size());
  return 2;
}

}  // namespace VemoSDK::LuaQrcode
