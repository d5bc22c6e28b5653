// The crypt module's hashes, codecs, DES and Diffie-Hellman functions.
#include <windows.h>
#include <bcrypt.h>

#include <lua.hpp>

#include <string>

#include "core/base64.h"
#include "core/string_utils.h"
#include "lua/crypt/crypt_module.h"
#include "lua/crypt/des.h"
#include "lua/crypt/hash64.h"
#include "lua/crypt/hmac.h"
#include "lua/crypt/strict_codecs.h"

namespace VemoSDK::LuaCrypt {

namespace {

std::string checkedBytes(lua_State* L, int index) {
  size_t length = 0;
  const char* data = luaL_checklstring(L, index, &length);
  return std::string(data, length);
}

void pushBytes(lua_State* L, const void* data, size_t length) {
  lua_pushlstring(L, static_cast<const char*>(data), length);
}

void pushBytes(lua_State* L, const std::string& bytes) { pushBytes(L, bytes.data(), bytes.size()); }

// An 8-byte argument; other lengths raise message.
const unsigned char* checked8(lua_State* L, int index, const char* message) {
  size_t length = 0;
  const char* data = luaL_checklstring(L, index, &length);
  if (length != 8) luaL_error(L, "%s", message);
  return reinterpret_cast<const unsigned char*>(data);
}

const unsigned char* checkedDesKey(lua_State* L) {
  size_t length = 0;
  const char* key = luaL_checklstring(L, 1, &length);
  if (length != 8) luaL_error(L, "Invalid key size %d, need 8 bytes", static_cast<int>(length));
  return reinterpret_cast<const unsigned char*>(key);
}

std::uint64_t checkedDhValue(lua_State* L, int index, const char* size_message) {
  std::uint64_t value = load_le64(checked8(L, index, size_message));
  if (value == 0) luaL_error(L, "Can't be 0");
  return value;
}

int pushDhValue(lua_State* L, std::uint64_t value) {
  unsigned char bytes[8];
  store_le64(value, bytes);
  pushBytes(L, bytes, sizeof bytes);
  return 1;
}

}  // namespace

int hashkey(lua_State* L) {
  std::string text = checkedBytes(L, 1);
  unsigned char out[8];
  hash64_of_text(reinterpret_cast<const unsigned char*>(text.data()), text.size(), out);
  pushBytes(L, out, sizeof out);
  return 1;
}

// Eight bytes of the system's cryptographic generator, never all XOR-ing to 0.
int randomkey(lua_State* L) {
  unsigned char key[8];
  if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, key, sizeof key, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
    return luaL_error(L, "no random source");
  unsigned char mixed = 0;
  for (unsigned char byte : key) mixed ^= byte;
  if (mixed == 0) key[0] |= 1;
  pushBytes(L, key, sizeof key);
  return 1;
}

// ECB over the text padded with 0x80 and zeros to the next multiple of 8.
int desencode(lua_State* L) {
  const unsigned char* key = checkedDesKey(L);
  std::string text = checkedBytes(L, 2);
  text.push_back('\x80');
  text.resize((text.size() + 7) / 8 * 8, '\0');
  DesKeySchedule schedule;
  des_key_schedule(key, &schedule);
  for (size_t at = 0; at < text.size(); at += 8) {
    auto* block = reinterpret_cast<unsigned char*>(&text[at]);
    des_block(schedule, block, block, false);
  }
  pushBytes(L, text);
  return 1;
}

int desdecode(lua_State* L) {
  const unsigned char* key = checkedDesKey(L);
  std::string text = checkedBytes(L, 2);
  if (text.empty() || text.size() % 8)
    return luaL_error(L, "Invalid des crypt text length %d", static_cast<int>(text.size()));
  DesKeySchedule schedule;
  des_key_schedule(key, &schedule);
  for (size_t at = 0; at < text.size(); at += 8) {
    auto* block = reinterpret_cast<unsigned char*>(&text[at]);
    des_block(schedule, block, block, true);
  }
  // The padding ends at the first non-zero byte from the end, within the last block.
  size_t end = text.size();
  while (end > text.size() - 8 && text[end - 1] == '\0') --end;
  if (end == text.size() - 8 || static_cast<unsigned char>(text[end - 1]) != 0x80)
    return luaL_error(L, "Invalid des crypt text");
  pushBytes(L, text.data(), end - 1);
  return 1;
}

int hexencode(lua_State* L) {
  std::string bytes = checkedBytes(L, 1);
  pushBytes(L, to_hex_string(bytes.data(), bytes.size()));
  return 1;
}

int hexdecode(lua_State* L) {
  std::string out, error;
  if (!strict_hex_decode(checkedBytes(L, 1), out, error)) return luaL_error(L, "%s", error.c_str());
  pushBytes(L, out);
  return 1;
}

int hmac64(lua_State* L) {
  const unsigned char* x = checked8(L, 1, "Invalid uint64 x");
  const unsigned char* y = checked8(L, 2, "Invalid uint64 y");
  unsigned char out[8];
  keyed_hash64(x, y, out);
  pushBytes(L, out, sizeof out);
  return 1;
}

int dhexchange(lua_State* L) {
  return pushDhValue(L, dh_power(kDhGenerator, checkedDhValue(L, 1, "Invalid dh uint64 key")));
}

int dhsecret(lua_State* L) {
  std::uint64_t base = checkedDhValue(L, 1, "Invalid uint64 x");
  std::uint64_t exponent = checkedDhValue(L, 2, "Invalid uint64 y");
  return pushDhValue(L, dh_power(base, exponent));
}

int base64encode(lua_State* L) {
  std::string bytes = checkedBytes(L, 1);
  pushBytes(L, base64_encode(bytes.data(), bytes.size()));
  return 1;
}

int base64decode(lua_State* L) {
  std::string out, error;
  if (!strict_base64_decode(checkedBytes(L, 1), out, error)) return luaL_error(L, "%s", error.c_str());
  pushBytes(L, out);
  return 1;
}

int sha1(lua_State* L) {
  pushBytes(L, sha1_bytes(checkedBytes(L, 1)));
  return 1;
}

int sha256(lua_State* L) {
  pushBytes(L, sha256_bytes(checkedBytes(L, 1)));
  return 1;
}

int hmacSha1(lua_State* L) {
  pushBytes(L, hmac_sha1(checkedBytes(L, 1), checkedBytes(L, 2)));
  return 1;
}

int hmacSha256(lua_State* L) {
  pushBytes(L, hmac_sha256(checkedBytes(L, 1), checkedBytes(L, 2)));
  return 1;
}

int hmacHash(lua_State* L) {
  const unsigned char* key = checked8(L, 1, "Invalid uint64 key");
  std::string text = checkedBytes(L, 2);
  unsigned char x[8], out[8];
  hash64_of_text(reinterpret_cast<const unsigned char*>(text.data()), text.size(), x);
  keyed_hash64(x, key, out);
  pushBytes(L, out, sizeof out);
  return 1;
}

}  // namespace VemoSDK::LuaCrypt
