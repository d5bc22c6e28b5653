// RC4 key objects: each use advances the key's stream in place, so two calls
// continue one stream.
#include <lua.hpp>

#include <string>

#include "core/rc4.h"
#include "lua/crypt/crypt_module.h"

namespace VemoSDK::LuaCrypt {

namespace {

constexpr char kRc4KeyType[] = "vemosdk_rc4_key";

}  // namespace

void registerRc4KeyType(lua_State* L) {
  luaL_newmetatable(L, kRc4KeyType);
  lua_pushvalue(L, -1);
  lua_setfield(L, -2, "__index");
  lua_pop(L, 1);
}

int rc4Key(lua_State* L) {
  size_t length = 0;
  const char* key = luaL_checklstring(L, 1, &length);
  // The key schedule takes bytes modulo the key length: an empty key has none.
  if (length == 0) return luaL_argerror(L, 1, "rc4 key must not be empty");
  auto* state = static_cast<Rc4State*>(lua_newuserdata(L, sizeof(Rc4State)));
  rc4_init(state, reinterpret_cast<const unsigned char*>(key), length);
  luaL_setmetatable(L, kRc4KeyType);
  return 1;
}

int rc4Crypt(lua_State* L) {
  size_t length = 0;
  const char* data = luaL_checklstring(L, 1, &length);
  auto* state = static_cast<Rc4State*>(luaL_checkudata(L, 2, kRc4KeyType));
  std::string out(length, '\0');
  rc4_apply(state, reinterpret_cast<const unsigned char*>(data), length, reinterpret_cast<unsigned char*>(&out[0]));
  lua_pushlstring(L, out.data(), out.size());
  return 1;
}

}  // namespace VemoSDK::LuaCrypt
