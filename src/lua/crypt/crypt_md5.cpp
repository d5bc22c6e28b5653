// The `md5` sub-table: digests, XOR, the MD5-based stream cipher and digest
// contexts fed piece by piece.
#include <lua.hpp>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <string>

#include "core/lua_guard.h"
#include "core/md5.h"
#include "lua/crypt/crypt_module.h"

namespace VemoSDK::LuaCrypt {

namespace {

constexpr char kMd5ContextType[] = "vemosdk_md5_context";
constexpr size_t kMaxSeed = 16;
constexpr size_t kMaxKey = 256;

// A context lives in its userdata; finishing marks it so that a second finish
// or a late update is refused instead of reading a spent context.
struct Md5ContextBox {
  VemoMd5Context context;
  bool finished;
};

std::string checkedBytes(lua_State* L, int index) {
  size_t length = 0;
  const char* data = luaL_checklstring(L, index, &length);
  return std::string(data, length);
}

std::string md5Bytes(const std::string& data) {
  unsigned char digest[16];
  vemo_md5(data.data(), data.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

// The cipher's rounds: each digest of the block buffer masks the next 16
// bytes, and the enciphered bytes start the buffer of the next round.
std::string md5Stream(const std::string& input, const std::string& seed, const std::string& key, bool decrypt) {
  std::string block = seed;
  block.resize(kMaxSeed, '\0');
  block += key;
  std::string out;
  out.reserve(input.size());
  for (size_t at = 0; at < input.size(); at += kMaxSeed) {
    std::string digest = md5Bytes(block);
    size_t take = std::min(kMaxSeed, input.size() - at);
    std::string piece = input.substr(at, take);
    for (size_t n = 0; n < take; ++n) piece[n] = static_cast<char>(piece[n] ^ digest[n]);
    out += piece;
    block.replace(0, take, decrypt ? input.substr(at, take) : piece);
  }
  return out;
}

std::string checkedKey(lua_State* L, int index) {
  std::string key = checkedBytes(L, index);
  if (key.size() > kMaxKey) luaL_error(L, "key too long (> %d)", static_cast<int>(kMaxKey));
  return key;
}

int sum(lua_State* L) {
  std::string digest = md5Bytes(checkedBytes(L, 1));
  lua_pushlstring(L, digest.data(), digest.size());
  return 1;
}

int exor(lua_State* L) {
  std::string a = checkedBytes(L, 1), b = checkedBytes(L, 2);
  if (a.size() != b.size()) return luaL_argerror(L, 2, "lengths must be equal");
  for (size_t n = 0; n < a.size(); ++n) a[n] = static_cast<char>(a[n] ^ b[n]);
  lua_pushlstring(L, a.data(), a.size());
  return 1;
}

int crypt(lua_State* L) {
  std::string message = checkedBytes(L, 1);
  std::string key = checkedKey(L, 2);
  std::string seed;
  if (lua_isnoneornil(L, 3)) {
    std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    seed.assign(reinterpret_cast<const char*>(&now), sizeof now);
  } else {
    seed = checkedBytes(L, 3);
    if (seed.size() > kMaxSeed) return luaL_error(L, "seed too long (> %d)", static_cast<int>(kMaxSeed));
  }
  std::string out(1, static_cast<char>(seed.size()));
  out += seed;
  out += md5Stream(message, seed, key, false);
  lua_pushlstring(L, out.data(), out.size());
  return 1;
}

int decrypt(lua_State* L) {
  std::string input = checkedBytes(L, 1);
  std::string key = checkedKey(L, 2);
  size_t seed_length = input.empty() ? 0 : static_cast<unsigned char>(input[0]);
  if (input.empty() || seed_length > kMaxSeed || input.size() < seed_length + 1)
    return luaL_error(L, "invalid cyphered string");
  std::string out = md5Stream(input.substr(1 + seed_length), input.substr(1, seed_length), key, true);
  lua_pushlstring(L, out.data(), out.size());
  return 1;
}

Md5ContextBox* checkedContext(lua_State* L) {
  auto* box = static_cast<Md5ContextBox*>(luaL_checkudata(L, 1, kMd5ContextType));
  if (box->finished) luaL_argerror(L, 1, "md5 context already finished");
  return box;
}

int startMd5c(lua_State* L) {
  auto* box = static_cast<Md5ContextBox*>(lua_newuserdata(L, sizeof(Md5ContextBox)));
  vemo_md5_init(&box->context);
  box->finished = false;
  luaL_setmetatable(L, kMd5ContextType);
  return 1;
}

// An optional length takes the text's first bytes, never more than it has.
int updateMd5c(lua_State* L) {
  Md5ContextBox* box = checkedContext(L);
  size_t length = 0;
  const char* text = luaL_checklstring(L, 2, &length);
  if (!lua_isnoneornil(L, 3)) {
    lua_Integer wanted = luaL_checkinteger(L, 3);
    if (wanted < 0) wanted = 0;
    if (static_cast<lua_Unsigned>(wanted) < length) length = static_cast<size_t>(wanted);
  }
  vemo_md5_update(&box->context, text, length);
  return 0;
}

int finishMd5c(lua_State* L) {
  Md5ContextBox* box = checkedContext(L);
  unsigned char digest[16];
  vemo_md5_finish(&box->context, digest);
  box->finished = true;
  lua_pushlstring(L, reinterpret_cast<const char*>(digest), sizeof digest);
  return 1;
}

const luaL_Reg kMd5Functions[] = {
    {"sum", sum},
    {"exor", exor},
    {"crypt", crypt},
    {"decrypt", decrypt},
    {"start_md5c", startMd5c},
    {"update_md5c", updateMd5c},
    {"finish_md5c", finishMd5c},
    {nullptr, nullptr},
};

}  // namespace

void pushMd5Table(lua_State* L) {
  // The context holds no resources of its own; the metatable marks the type.
  luaL_newmetatable(L, kMd5ContextType);
  lua_pop(L, 1);
  vemo::lua_new_guarded_lib(L, kMd5Functions);
  lua_pushliteral(L, "Copyright (C) Vemo SDK");
  lua_setfield(L, -2, "_COPYRIGHT");
  lua_pushliteral(L, "Basic cryptographic facilities");
  lua_setfield(L, -2, "_DESCRIPTION");
  lua_pushliteral(L, "MD5 1.2");
  lua_setfield(L, -2, "_VERSION");
}

}  // namespace VemoSDK::LuaCrypt
