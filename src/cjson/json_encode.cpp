// Lua value -> JSON text.
#include <array>
#include <cmath>

#include "cjson/json_config.h"
#include "cjson/vemosdk_fpconv.h"
#include "core/lua_guard.h"
#include "core/stack_room.h"
#include "lua.hpp"

namespace VemoSDK::Json {
namespace {

struct Escape {
  char text[7];
  unsigned char len;  // 0: the byte is copied as it is
};

constexpr std::array<Escape, 256> make_escapes() {
  std::array<Escape, 256> table{};
  constexpr char hex[] = "0123456789abcdef";
  for (int c = 0; c < 32; ++c) table[c] = {{'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15], 0}, 6};
  table[127] = {{'\\', 'u', '0', '0', '7', 'f', 0}, 6};
  table['\b'] = {{'\\', 'b'}, 2};
  table['\t'] = {{'\\', 't'}, 2};
  table['\n'] = {{'\\', 'n'}, 2};
  table['\f'] = {{'\\', 'f'}, 2};
  table['\r'] = {{'\\', 'r'}, 2};
  table['"'] = {{'\\', '"'}, 2};
  table['\\'] = {{'\\', '\\'}, 2};
  table['/'] = {{'\\', '/'}, 2};
  return table;
}
constexpr std::array<Escape, 256> kEscapes = make_escapes();

struct EncodeJob {
  Config* cfg;
  StrBuf* buf;
  mutable bool own_error;  // the error was raised here, not by a metamethod
  mutable StackRoom room;  // nesting also ends where the thread's stack would
};

// Raises the Lua error; never returns.
void encode_error(lua_State* L, const EncodeJob* job, int index, const char* reason) {
  job->own_error = true;
  luaL_error(L, "Cannot serialise %s: %s", luaL_typename(L, index), reason);
}

void append_string(lua_State* L, StrBuf* buf, int index) {
  size_t len = 0;
  const char* s = lua_tolstring(L, index, &len);
  strbuf_append_char(buf, '"');
  size_t run = 0;  // start of the bytes not yet copied
  for (size_t i = 0; i < len; ++i) {
    const Escape& e = kEscapes[static_cast<unsigned char>(s[i])];
    if (!e.len) continue;
    strbuf_append_mem(buf, s + run, i - run);
    strbuf_ensure_empty_length(buf, e.len);
    strbuf_append_mem_unsafe(buf, e.text, e.len);
    run = i + 1;
  }
  strbuf_append_mem(buf, s + run, len - run);
  strbuf_append_char(buf, '"');
}

void append_integer(StrBuf* buf, lua_Integer value) {
  char digits[24];
  int n = 0;
  unsigned long long u = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  do {
    digits[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  strbuf_ensure_empty_length(buf, n + 1);
  if (value < 0) strbuf_append_char_unsafe(buf, '-');
  while (n) strbuf_append_char_unsafe(buf, digits[--n]);
}

void append_number(lua_State* L, const EncodeJob* job, int index) {
  if (lua_isinteger(L, index)) {
    append_integer(job->buf, lua_tointeger(L, index));
    return;
  }
  double num = lua_tonumber(L, index);
  if (std::isinf(num) || std::isnan(num)) {
    switch (job->cfg->encode_invalid_numbers) {
      case kInvalidOff:
        encode_error(L, job, index, "must not be NaN or Infinity");
        return;
      case kInvalidNull:
        strbuf_append_mem(job->buf, "null", 4);
        return;
      default:
        if (std::isnan(num)) strbuf_append_mem(job->buf, "NaN", 3);
        else if (num > 0) strbuf_append_mem(job->buf, "Infinity", 8);
        else strbuf_append_mem(job->buf, "-Infinity", 9);
        return;
    }
  }
  strbuf_ensure_empty_length(job->buf, kFpconvBufferSize);
  strbuf_extend_length(job->buf, fpconv_g_fmt(strbuf_empty_ptr(job->buf), num, job->cfg->encode_number_precision));
}

// The array length of the table at the top, or -1 when it must be written as
// an object. Raises the sparse-array error unless sparse conversion is on.
lua_Integer array_length(lua_State* L, const EncodeJob* job) {
  double max = 0;
  lua_Integer items = 0;
  lua_pushnil(L);
  while (lua_next(L, -2) != 0) {
    bool whole_key = false;
    if (lua_isinteger(L, -2)) {
      lua_Integer k = lua_tointeger(L, -2);
      whole_key = k >= 1;
      if (whole_key && static_cast<double>(k) > max) max = static_cast<double>(k);
    } else if (lua_type(L, -2) == LUA_TNUMBER) {
      // Only floats beyond the integer range can be whole here.
      double k = lua_tonumber(L, -2);
      whole_key = std::isfinite(k) && k >= 1 && std::floor(k) == k;
      if (whole_key && k > max) max = k;
    }
    if (!whole_key) {
      lua_pop(L, 2);
      return -1;
    }
    ++items;
    lua_pop(L, 1);
  }
  const Config* cfg = job->cfg;
  if (cfg->encode_sparse_ratio > 0 && max > static_cast<double>(items) * cfg->encode_sparse_ratio &&
      max > cfg->encode_sparse_safe) {
    if (!cfg->encode_sparse_convert) encode_error(L, job, -1, "excessively sparse array");
    return -1;
  }
  return max >= static_cast<double>(LUA_MAXINTEGER) ? LUA_MAXINTEGER : static_cast<lua_Integer>(max);
}

void append_value(lua_State* L, const EncodeJob* job, int depth);

void append_array(lua_State* L, const EncodeJob* job, int depth, lua_Integer length) {
  strbuf_append_char(job->buf, '[');
  for (lua_Integer i = 1; i <= length; ++i) {
    if (i > 1) strbuf_append_char(job->buf, ',');
    lua_geti(L, -1, i);
    append_value(L, job, depth);
    lua_pop(L, 1);
  }
  strbuf_append_char(job->buf, ']');
}

void append_object(lua_State* L, const EncodeJob* job, int depth) {
  strbuf_append_char(job->buf, '{');
  bool first = true;
  lua_pushnil(L);
  while (lua_next(L, -2) != 0) {
    if (!first) strbuf_append_char(job->buf, ',');
    first = false;
    switch (lua_type(L, -2)) {
      case LUA_TNUMBER:
        strbuf_append_char(job->buf, '"');
        append_number(L, job, -2);
        strbuf_append_char(job->buf, '"');
        break;
      case LUA_TSTRING:
        append_string(L, job->buf, -2);
        break;
      default:
        encode_error(L, job, -2, "table key must be a number or string");
    }
    strbuf_append_char(job->buf, ':');
    append_value(L, job, depth);
    lua_pop(L, 1);
  }
  strbuf_append_char(job->buf, '}');
}

void append_table(lua_State* L, const EncodeJob* job, int depth) {
  ++depth;
  if (depth > job->cfg->encode_max_depth || !lua_checkstack(L, 3) ||
      (depth > kShallowNesting && !job->room.enough())) {
    job->own_error = true;
    luaL_error(L, "Cannot serialise, excessive nesting (%d)", depth);
  }
  // A __len metamethod makes the table an array of that many elements,
  // even none: proxies of arrays encode their virtual contents.
  if (luaL_getmetafield(L, -1, "__len") != LUA_TNIL) {
    lua_pushvalue(L, -2);
    lua_call(L, 1, 1);
    int is_integer = 0;
    lua_Integer length = lua_type(L, -1) == LUA_TNUMBER ? lua_tointegerx(L, -1, &is_integer) : 0;
    if (!is_integer) {
      job->own_error = true;
      luaL_error(L, "__len should return integer");
    }
    lua_pop(L, 1);
    append_array(L, job, depth, length);
    return;
  }
  lua_Integer length = array_length(L, job);
  if (length > 0) {
    append_array(L, job, depth, length);
  } else if (length == 0) {
    strbuf_append_mem(job->buf, job->cfg->encode_empty_table_as_array ? "[]" : "{}", 2);
  } else {
    append_object(L, job, depth);
  }
}

void append_value(lua_State* L, const EncodeJob* job, int depth) {
  switch (lua_type(L, -1)) {
    case LUA_TSTRING:
      append_string(L, job->buf, -1);
      break;
    case LUA_TNUMBER:
      append_number(L, job, -1);
      break;
    case LUA_TBOOLEAN:
      if (lua_toboolean(L, -1)) strbuf_append_mem(job->buf, "true", 4);
      else strbuf_append_mem(job->buf, "false", 5);
      break;
    case LUA_TTABLE:
      append_table(L, job, depth);
      break;
    case LUA_TNIL:
    case LUA_TFUNCTION:
    case LUA_TLIGHTUSERDATA:
      strbuf_append_mem(job->buf, "null", 4);
      break;
    default:
      encode_error(L, job, -1, "type not supported");
  }
}

// Runs under lua_pcall so that json_encode can release its buffer whatever
// a metamethod or an error does; arguments: the job, the value.
int encode_protected(lua_State* L) {
  const auto* job = static_cast<const EncodeJob*>(lua_touserdata(L, 1));
  append_value(L, job, 0);
  lua_pushlstring(L, job->buf->buf, static_cast<size_t>(job->buf->length));
  return 1;
}

}  // namespace

int json_encode(lua_State* L) {
  Config* cfg = config_of(L);
  luaL_argcheck(L, lua_gettop(L) == 1, 1, "expected 1 argument");

  // A metamethod may encode again while the kept buffer is in use; that
  // inner encode gets a buffer of its own.
  const bool use_kept = cfg->encode_keep_buffer && cfg->encode_buf_allocated && !cfg->encode_buf_busy;
  StrBuf local;
  EncodeJob job{cfg, &local, false, StackRoom()};
  if (use_kept) {
    job.buf = &cfg->encode_buf;
    strbuf_reset(job.buf);
    cfg->encode_buf_busy = 1;
  } else {
    strbuf_init(&local, 0);
  }

  vemo::lua_push_guarded(L, encode_protected);
  lua_pushlightuserdata(L, &job);
  lua_pushvalue(L, 1);
  int status = lua_pcall(L, 2, 1, 0);

  if (use_kept) {
    cfg->encode_buf_busy = 0;
    if (!cfg->encode_keep_buffer) config_keep_encode_buffer(cfg, false);  // switched off meanwhile
  } else {
    strbuf_free(&local);
  }
  if (status != LUA_OK) {
    if (status == LUA_ERRRUN && job.own_error) prefix_error_with_caller(L);
    return lua_error(L);
  }
  return 1;
}

}  // namespace VemoSDK::Json
