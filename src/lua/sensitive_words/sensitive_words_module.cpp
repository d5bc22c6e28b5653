#include "lua/sensitive_words/sensitive_words_module.h"

#include <lua.hpp>

#include <array>
#include <vector>

#include "lua/sensitive_words/sensitive_words_trie.h"
#include "core/lua_guard.h"

namespace VemoSDK::LuaSensitiveWords {

namespace {

using Trie = SensitiveWordsTrie;

constexpr size_t kShortWord = 64;

// insert({codes}) -> the same table. The whole word is read before the trie
// changes, so a bad item adds nothing.
int insert(lua_State* L) {
  luaL_checktype(L, 1, LUA_TTABLE);
  lua_Integer length = static_cast<lua_Integer>(lua_rawlen(L, 1));
  if (length <= 0) return luaL_error(L, "char code empty, len = %d", static_cast<int>(length));
  std::array<Trie::Code, kShortWord> short_word;
  std::vector<Trie::Code> long_word;
  size_t count = 0;
  for (lua_Integer i = 1; lua_rawgeti(L, 1, i) != LUA_TNIL; ++i) {
    int is_integer = 0;
    Trie::Code code = lua_type(L, -1) == LUA_TNUMBER ? lua_tointegerx(L, -1, &is_integer) : 0;
    if (!is_integer) {
      return luaL_error(L, "item %d invalid (number required, got %s)", static_cast<int>(i), luaL_typename(L, -1));
    }
    lua_pop(L, 1);
    if (count < kShortWord) {
      short_word[count] = code;
    } else {
      if (long_word.empty()) long_word.assign(short_word.begin(), short_word.end());
      long_word.push_back(code);
    }
    ++count;
  }
  Trie::instance().insert(long_word.empty() ? short_word.data() : long_word.data(), count);
  lua_settop(L, 1);
  return 1;
}

int clean(lua_State*) {
  Trie::instance().clean();
  return 0;
}

void pushNode(lua_State* L, Trie::Handle node) { lua_pushlightuserdata(L, reinterpret_cast<void*>(node)); }

Trie::Handle checkNode(lua_State* L) {
  auto node = reinterpret_cast<Trie::Handle>(lua_touserdata(L, 1));
  if (node == 0 || !Trie::instance().isValid(node)) luaL_error(L, "Node error");
  return node;
}

int rootNode(lua_State* L) {
  pushNode(L, Trie::instance().root());
  return 1;
}

int getNode(lua_State* L) {
  Trie::Handle node = checkNode(L);
  Trie::Handle child = Trie::instance().child(node, luaL_checkinteger(L, 2));
  if (child == 0) {
    lua_pushnil(L);
  } else {
    pushNode(L, child);
  }
  return 1;
}

int isEnd(lua_State* L) {
  lua_pushboolean(L, Trie::instance().isEnd(checkNode(L)));
  return 1;
}

int size(lua_State* L) {
  lua_pushinteger(L, static_cast<lua_Integer>(Trie::instance().size()));
  return 1;
}

int isEmpty(lua_State* L) {
  lua_pushboolean(L, Trie::instance().isEmpty());
  return 1;
}

const luaL_Reg kFunctions[] = {
    {"insert", insert},     {"clean", clean}, {"root_node", rootNode},  {"get_node", getNode},
    {"is_end", isEnd},      {"size", size},   {"is_empty", isEmpty},    {nullptr, nullptr},
};

}  // namespace

void pushSensitiveWordsTable(lua_State* L) { vemo::lua_new_guarded_lib(L, kFunctions); }

}  // namespace VemoSDK::LuaSensitiveWords
