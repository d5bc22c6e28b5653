#pragma once
// The `_vemosdk_crypt` module: hashes, DES, hex and base64, a 64-bit
// Diffie-Hellman exchange, RC4 key streams, and the `md5` and `zlib` sub-tables.
struct lua_State;

extern "C" int luaopen_vemosdk_crypt(lua_State* L);

namespace VemoSDK::LuaCrypt {

// Each family's functions, in the module's order (crypt_module.cpp joins them).
int hashkey(lua_State* L);
int randomkey(lua_State* L);
int desencode(lua_State* L);
int desdecode(lua_State* L);
int hexencode(lua_State* L);
int hexdecode(lua_State* L);
int hmac64(lua_State* L);
int dhexchange(lua_State* L);
int dhsecret(lua_State* L);
int base64encode(lua_State* L);
int base64decode(lua_State* L);
int sha1(lua_State* L);
int sha256(lua_State* L);
int hmacSha1(lua_State* L);
int hmacSha256(lua_State* L);
int hmacHash(lua_State* L);
int rc4Key(lua_State* L);
int rc4Crypt(lua_State* L);  // rc4_encrypt and rc4_decrypt alike

// Registers the RC4 key object's metatable.
void registerRc4KeyType(lua_State* L);
// Pushes the `md5` sub-table.
void pushMd5Table(lua_State* L);

}  // namespace VemoSDK::LuaCrypt
