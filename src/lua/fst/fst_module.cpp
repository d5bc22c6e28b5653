// The `fst` sub-table: create, load, varint_encode and varint_decode.
#include "lua/fst/fst_module.h"

#include <lua.hpp>

#include <string>
#include <vector>

#include "core/lua_guard.h"
#include "core/file_utils.h"
#include "fst/fst.h"
#include "lua/fst/fst_table.h"

namespace VemoSDK::LuaFst {

namespace {

constexpr lua_Integer kMaxVarint = 0xFFFFFFFF;

// The pairs of a Lua table whose keys are strings and whose values are
// strings or numbers (taken as their text); other pairs are skipped.
std::vector<Fst::KeyValue> collectPairs(lua_State* L, int table) {
  std::vector<Fst::KeyValue> pairs;
  lua_pushnil(L);
  while (lua_next(L, table)) {
    int value_type = lua_type(L, -1);
    if (lua_type(L, -2) == LUA_TSTRING && (value_type == LUA_TSTRING || value_type == LUA_TNUMBER)) {
      size_t key_length = 0, value_length = 0;
      const char* key = lua_tolstring(L, -2, &key_length);
      lua_pushvalue(L, -1);  // converting a copy leaves the table's number alone
      const char* value = lua_tolstring(L, -1, &value_length);
      pairs.push_back({std::string(key, key_length), std::string(value, value_length)});
      lua_pop(L, 1);
    }
    lua_pop(L, 1);
  }
  return pairs;
}

// create(pairs [, path]) -> path | bytes
int create(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  const char* path = luaL_optstring(L, 2, nullptr);
  std::string compiled;
  if (Fst::compileTable(collectPairs(L, 1), compiled) != Fst::BuildError::None) {
    return luaL_error(L, "Failed to compile FST");
  }
  if (!path) {
    lua_pushlstring(L, compiled.data(), compiled.size());
    return 1;
  }
  if (vemo_write_file(path, compiled.data(), compiled.size(), 0) != 1) {
    return luaL_error(L, "Failed to open file for writing: %s", path);
  }
  lua_pushstring(L, path);
  return 1;
}

// load(bytes_or_path [, is_path]) -> FstTable
int load(lua_State* L) {
  const char* source = luaL_checkstring(L, 1);
  bool from_file = lua_toboolean(L, 2) != 0;
  bool loaded = false;
  if (from_file) {
    std::string bytes;
    if (!vemo_read_file(source, bytes)) return luaL_error(L, "Failed to open file for reading: %s", source);
    loaded = pushFileTable(L, std::move(bytes));
  } else {
    loaded = pushStringTable(L, 1);
  }
  if (!loaded) return luaL_error(L, "Invalid FST data");
  return 1;
}

void encodeOne(lua_State* L, lua_Integer value, std::string& out) {
  if (value < 0) luaL_error(L, "Negative integers not supported");
  if (value > kMaxVarint) luaL_error(L, "Integer too large for a 32-bit varint");
  Fst::appendForwardVarint(out, static_cast<std::uint32_t>(value));
}

// varint_encode(integer | {integers}) -> bytes
int varintEncode(lua_State* L) {
  std::string out;
  int is_integer = 0;
  if (lua_type(L, 1) == LUA_TNUMBER) {
    lua_Integer value = lua_tointegerx(L, 1, &is_integer);
    if (!is_integer) return luaL_error(L, "Expected integer or table of integers");
    encodeOne(L, value, out);
  } else if (lua_type(L, 1) == LUA_TTABLE) {
    lua_Integer count = static_cast<lua_Integer>(lua_rawlen(L, 1));
    for (lua_Integer i = 1; i <= count; ++i) {
      lua_rawgeti(L, 1, i);
      lua_Integer value = lua_type(L, -1) == LUA_TNUMBER ? lua_tointegerx(L, -1, &is_integer) : 0;
      if (lua_type(L, -1) != LUA_TNUMBER || !is_integer) return luaL_error(L, "Array must contain only integers");
      lua_pop(L, 1);
      encodeOne(L, value, out);
    }
  } else {
    return luaL_error(L, "Expected integer or table of integers");
  }
  lua_pushlstring(L, out.data(), out.size());
  return 1;
}

// varint_decode(bytes [, all]) -> value, length | {values}
int varintDecode(lua_State* L) {
  size_t size = 0;
  const auto* data = reinterpret_cast<const unsigned char*>(luaL_checklstring(L, 1, &size));
  bool all = lua_toboolean(L, 2) != 0;
  std::uint32_t value = 0;
  if (!all) {
    size_t taken = Fst::readForwardVarint(data, size, value);
    if (taken == 0) return luaL_error(L, "Invalid varint data");
    lua_pushinteger(L, value);
    lua_pushinteger(L, static_cast<lua_Integer>(taken));
    return 2;
  }
  lua_newtable(L);
  lua_Integer n = 0;
  for (size_t at = 0; at < size;) {
    size_t taken = Fst::readForwardVarint(data + at, size - at, value);
    if (taken == 0) return luaL_error(L, "Invalid varint data");
    lua_pushinteger(L, value);
    lua_rawseti(L, -2, ++n);
    at += taken;
  }
  return 1;
}

const luaL_Reg kFunctions[] = {
    {"create", create},
    {"load", load},
    {"varint_encode", varintEncode},
    {"varint_decode", varintDecode},
    {nullptr, nullptr},
};

}  // namespace

void pushFstTable(lua_State* L) { vemo::lua_new_guarded_lib(L, kFunctions); }

}  // namespace VemoSDK::LuaFst
