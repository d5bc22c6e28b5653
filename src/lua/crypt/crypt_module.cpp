#include "lua/crypt/crypt_module.h"

#include <lua.hpp>

#include "lua/zlib/lua_zlib.h"
#include "core/lua_guard.h"

namespace {

using namespace VemoSDK::LuaCrypt;

// In the module's order.
const luaL_Reg kCryptFunctions[] = {
    {"hashkey", hashkey},
    {"randomkey", randomkey},
    {"desencode", desencode},
    {"desdecode", desdecode},
    {"hexencode", hexencode},
    {"hexdecode", hexdecode},
    {"hmac64", hmac64},
    {"dhexchange", dhexchange},
    {"dhsecret", dhsecret},
    {"base64encode", base64encode},
    {"base64decode", base64decode},
    {"sha1", sha1},
    {"sha256", sha256},
    {"hmac_sha1", hmacSha1},
    {"hmac_sha256", hmacSha256},
    {"hmac_hash", hmacHash},
    {"rc4_key", rc4Key},
    {"rc4_encrypt", rc4Crypt},
    {"rc4_decrypt", rc4Crypt},
    {nullptr, nullptr},
};

constexpr int kFunctionCount = static_cast<int>(sizeof kCryptFunctions / sizeof kCryptFunctions[0]) - 1;
static_assert(kFunctionCount == 19, "the crypt module has 19 functions");

}  // namespace

extern "C" int luaopen_vemosdk_crypt(lua_State* L) {
  luaL_checkversion(L);
  registerRc4KeyType(L);
  lua_createtable(L, 0, kFunctionCount + 2);
  vemo::lua_set_guarded_funcs(L, kCryptFunctions, 0);
  pushMd5Table(L);
  lua_setfield(L, -2, "md5");
  luaopen_vemosdk_zlib(L);
  lua_setfield(L, -2, "zlib");
  return 1;
}
