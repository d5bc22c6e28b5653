#include "lua/fst/fst_table.h"

#include <lua.hpp>

#include <new>
#include <string>

#include "fst/fst.h"
#include "core/lua_guard.h"

namespace VemoSDK::LuaFst {

namespace {

constexpr char kFstTableType[] = "vemosdk.fst.FstTable";

// Lives in the userdata: built with placement new, destroyed by __gc.
struct FstTable {
  std::string file_bytes;  // a file's content, owned
  int string_ref = LUA_NOREF;  // or the Lua string given to load
  bool ready = false;
  Fst::FstReader reader;
  std::string value;  // reused for each lookup's result
};

int index(lua_State* L) {
  auto* table = static_cast<FstTable*>(luaL_checkudata(L, 1, kFstTableType));
  if (!table->ready) {
    lua_pushnil(L);
    lua_pushstring(L, "Invalid FST table");
    return 2;
  }
  size_t length = 0;
  const char* key = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tolstring(L, 2, &length)
                                                                                   : nullptr;
  if (!key) {
    lua_pushnil(L);
    return 1;
  }
  switch (table->reader.find(std::string_view(key, length), table->value)) {
    case Fst::Lookup::Found: lua_pushlstring(L, table->value.data(), table->value.size()); return 1;
    case Fst::Lookup::Absent: lua_pushnil(L); return 1;
    case Fst::Lookup::Corrupt: break;
  }
  return luaL_error(L, "Invalid FST data");
}

// The table is not enumerable: it answers lookups only.
int length(lua_State* L) {
  lua_pushinteger(L, 0);
  return 1;
}

int nothingNext(lua_State* L) {
  lua_pushnil(L);
  return 1;
}

int pairs(lua_State* L) {
  vemo::lua_push_guarded(L, nothingNext);
  lua_pushvalue(L, 1);
  lua_pushnil(L);
  return 3;
}

int gc(lua_State* L) {
  auto* table = static_cast<FstTable*>(luaL_checkudata(L, 1, kFstTableType));
  luaL_unref(L, LUA_REGISTRYINDEX, table->string_ref);
  table->~FstTable();
  return 0;
}

FstTable* pushEmpty(lua_State* L) {
  void* memory = lua_newuserdata(L, sizeof(FstTable));
  auto* table = new (memory) FstTable;
  if (luaL_newmetatable(L, kFstTableType)) {
    const luaL_Reg methods[] = {{"__index", index}, {"__len", length}, {"__pairs", pairs}, {"__gc", gc},
                                {nullptr, nullptr}};
    vemo::lua_set_guarded_funcs(L, methods, 0);
  }
  lua_setmetatable(L, -2);
  return table;
}

bool isFstData(const std::string& bytes) {
  Fst::FstReader probe;
  return probe.open(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace

bool pushFileTable(lua_State* L, std::string bytes) {
  if (!isFstData(bytes)) return false;
  FstTable* table = pushEmpty(L);
  table->file_bytes = std::move(bytes);
  table->ready = table->reader.open(reinterpret_cast<const unsigned char*>(table->file_bytes.data()),
                                    table->file_bytes.size());
  return true;
}

bool pushStringTable(lua_State* L, int string_index) {
  size_t size = 0;
  const char* bytes = lua_tolstring(L, string_index, &size);
  Fst::FstReader probe;
  if (!bytes || !probe.open(reinterpret_cast<const unsigned char*>(bytes), size)) return false;
  string_index = lua_absindex(L, string_index);
  FstTable* table = pushEmpty(L);
  lua_pushvalue(L, string_index);
  table->string_ref = luaL_ref(L, LUA_REGISTRYINDEX);
  table->reader = probe;
  table->ready = true;
  return true;
}

}  // namespace VemoSDK::LuaFst
