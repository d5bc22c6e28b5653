#include "cjson/vemosdk_lua_cjson.h"

#include <climits>
#include <initializer_list>

#include "cjson/json_config.h"
#include "cjson/vemosdk_fpconv.h"
#include "lua.hpp"
#include "core/lua_guard.h"

namespace VemoSDK::Json {
namespace {

constexpr const char* kModuleName = "_vemosdk_lua_cjson";
constexpr const char* kConfigMetatable = "_vemosdk_lua_cjson.config";
constexpr const char* const kOnOff[] = {"off", "on", nullptr};
constexpr const char* const kInvalidNumberModes[] = {"off", "on", "null", nullptr};

constexpr const char* kTokenNames[] = {
    "T_OBJ_BEGIN", "T_OBJ_END", "T_ARR_BEGIN", "T_ARR_END", "T_STRING",     "T_NUMBER", "T_INTEGER", "T_BOOLEAN",
    "T_NULL",      "T_COLON",   "T_COMMA",     "T_END",     "T_WHITESPACE", "T_ERROR",  "T_UNKNOWN",
};
static_assert(sizeof(kTokenNames) / sizeof(kTokenNames[0]) == T_UNKNOWN + 1, "one name per token kind");

// Option functions take at most `count` arguments; missing ones become nil.
void check_arg_count(lua_State* L, int count) {
  luaL_argcheck(L, lua_gettop(L) <= count, count + 1, "found too many arguments");
  lua_settop(L, count);
}

// A nil argument leaves the setting alone; the current value is pushed.
void integer_option(lua_State* L, int index, int* setting, int min, int max) {
  if (!lua_isnil(L, index)) {
    lua_Integer value = luaL_checkinteger(L, index);
    if (value < min || value > max) {
      luaL_argerror(L, 1, lua_pushfstring(L, "expected integer between %d and %d", min, max));
    }
    *setting = static_cast<int>(value);
  }
  lua_pushinteger(L, *setting);
}

// A boolean, or one of the option names; pushes false/true for settings 0
// and 1, else the setting's name.
void enum_option(lua_State* L, int index, int* setting, const char* const* names) {
  if (!lua_isnil(L, index)) {
    if (lua_isboolean(L, index)) *setting = lua_toboolean(L, index);
    else *setting = luaL_checkoption(L, index, nullptr, names);
  }
  if (*setting <= 1) lua_pushboolean(L, *setting);
  else lua_pushstring(L, names[*setting]);
}

int encode_sparse_array(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 3);
  enum_option(L, 1, &cfg->encode_sparse_convert, kOnOff);
  integer_option(L, 2, &cfg->encode_sparse_ratio, 0, INT_MAX);
  integer_option(L, 3, &cfg->encode_sparse_safe, 0, INT_MAX);
  return 3;
}

int encode_max_depth(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 1);
  integer_option(L, 1, &cfg->encode_max_depth, 1, INT_MAX);
  return 1;
}

int decode_max_depth(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 1);
  integer_option(L, 1, &cfg->decode_max_depth, 1, INT_MAX);
  return 1;
}

int encode_number_precision(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 1);
  integer_option(L, 1, &cfg->encode_number_precision, 1, 16);
  return 1;
}

int encode_keep_buffer(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 1);
  enum_option(L, 1, &cfg->encode_keep_buffer, kOnOff);
  config_keep_encode_buffer(cfg, cfg->encode_keep_buffer != 0);
  return 1;
}

int encode_invalid_numbers(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 1);
  enum_option(L, 1, &cfg->encode_invalid_numbers, kInvalidNumberModes);
  return 1;
}

int decode_invalid_numbers(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 1);
  enum_option(L, 1, &cfg->decode_invalid_numbers, kOnOff);
  return 1;
}

int encode_empty_table_as_array(lua_State* L) {
  Config* cfg = config_of(L);
  check_arg_count(L, 1);
  enum_option(L, 1, &cfg->encode_empty_table_as_array, kOnOff);
  return 1;
}

int is_support_global(lua_State* L) {
  lua_pushboolean(L, 1);
  return 1;
}

int config_gc(lua_State* L) {
  auto* cfg = static_cast<Config*>(luaL_checkudata(L, 1, kConfigMetatable));
  cfg->encode_buf_busy = 0;
  config_keep_encode_buffer(cfg, false);
  return 0;
}

int module_new(lua_State* L);

const luaL_Reg kFunctions[] = {
    {"encode", json_encode},
    {"decode", json_decode},
    {"encode_sparse_array", encode_sparse_array},
    {"encode_max_depth", encode_max_depth},
    {"decode_max_depth", decode_max_depth},
    {"encode_number_precision", encode_number_precision},
    {"encode_keep_buffer", encode_keep_buffer},
    {"encode_invalid_numbers", encode_invalid_numbers},
    {"decode_invalid_numbers", decode_invalid_numbers},
    {"encode_empty_table_as_array", encode_empty_table_as_array},
    {"is_support_global", is_support_global},
    {"new", module_new},
    {nullptr, nullptr},
};

// A new module table with its own default configuration.
int module_new(lua_State* L) {
  fpconv_init();
  lua_newtable(L);

  auto* cfg = static_cast<Config*>(lua_newuserdata(L, sizeof(Config)));
  config_init(cfg);
  if (luaL_newmetatable(L, kConfigMetatable)) {
    vemo::lua_push_guarded(L, config_gc);
    lua_setfield(L, -2, "__gc");
  }
  lua_setmetatable(L, -2);
  vemo::lua_set_guarded_funcs(L, kFunctions, 1);

  lua_pushlightuserdata(L, nullptr);
  lua_setfield(L, -2, "null");
  lua_pushstring(L, kModuleName);
  lua_setfield(L, -2, "_NAME");
  lua_pushstring(L, "2.1devel");
  lua_setfield(L, -2, "_VERSION");
  return 1;
}

}  // namespace

const char* token_kind_name(TokenKind kind) { return kTokenNames[kind]; }

void config_init(Config* cfg) {
  for (auto& kind : cfg->token_kinds) kind = T_ERROR;
  cfg->token_kinds[static_cast<unsigned char>('{')] = T_OBJ_BEGIN;
  cfg->token_kinds[static_cast<unsigned char>('}')] = T_OBJ_END;
  cfg->token_kinds[static_cast<unsigned char>('[')] = T_ARR_BEGIN;
  cfg->token_kinds[static_cast<unsigned char>(']')] = T_ARR_END;
  cfg->token_kinds[static_cast<unsigned char>(',')] = T_COMMA;
  cfg->token_kinds[static_cast<unsigned char>(':')] = T_COLON;
  cfg->token_kinds[0] = T_END;
  for (unsigned char c : {' ', '\t', '\n', '\r'}) cfg->token_kinds[c] = T_WHITESPACE;
  for (unsigned char c : {'f', 'i', 'I', 'n', 'N', 't', '"', '+', '-'}) cfg->token_kinds[c] = T_UNKNOWN;
  for (unsigned char c = '0'; c <= '9'; ++c) cfg->token_kinds[c] = T_UNKNOWN;

  for (auto& e : cfg->escapes) e = 0;
  cfg->escapes[static_cast<unsigned char>('"')] = '"';
  cfg->escapes[static_cast<unsigned char>('\\')] = '\\';
  cfg->escapes[static_cast<unsigned char>('/')] = '/';
  cfg->escapes[static_cast<unsigned char>('b')] = '\b';
  cfg->escapes[static_cast<unsigned char>('f')] = '\f';
  cfg->escapes[static_cast<unsigned char>('n')] = '\n';
  cfg->escapes[static_cast<unsigned char>('r')] = '\r';
  cfg->escapes[static_cast<unsigned char>('t')] = '\t';
  cfg->escapes[static_cast<unsigned char>('u')] = 'u';

  cfg->encode_sparse_convert = 0;
  cfg->encode_sparse_ratio = 2;
  cfg->encode_sparse_safe = 10;
  cfg->encode_max_depth = 1000;
  cfg->encode_invalid_numbers = kInvalidOff;
  cfg->encode_number_precision = 14;
  cfg->encode_keep_buffer = 1;
  cfg->encode_empty_table_as_array = 0;
  cfg->decode_invalid_numbers = 1;
  cfg->decode_max_depth = 1000;
  cfg->encode_buf_allocated = 0;
  cfg->encode_buf_busy = 0;
  config_keep_encode_buffer(cfg, true);
}

void config_keep_encode_buffer(Config* cfg, bool keep) {
  if (keep && !cfg->encode_buf_allocated) {
    strbuf_init(&cfg->encode_buf, 0);
    cfg->encode_buf_allocated = 1;
  } else if (!keep && cfg->encode_buf_allocated && !cfg->encode_buf_busy) {
    strbuf_free(&cfg->encode_buf);
    cfg->encode_buf_allocated = 0;
  }
}

void prefix_error_with_caller(lua_State* L) {
  luaL_where(L, 1);
  lua_insert(L, -2);
  lua_concat(L, 2);
}

Config* config_of(lua_State* L) {
  auto* cfg = static_cast<Config*>(lua_touserdata(L, lua_upvalueindex(1)));
  if (!cfg) luaL_error(L, "BUG: Unable to fetch CJSON configuration");
  return cfg;
}

}  // namespace VemoSDK::Json

int luaopen_vemosdk_lua_cjson(lua_State* L) {
  luaL_checkversion(L);
  VemoSDK::Json::module_new(L);
  lua_pushvalue(L, -1);
  lua_setglobal(L, VemoSDK::Json::kModuleName);
  return 1;
}
