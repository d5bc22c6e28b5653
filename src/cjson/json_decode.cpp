// JSON text -> Lua value.
#include <cstdlib>
#include <cstring>

#include "cjson/json_config.h"
#include "cjson/vemosdk_fpconv.h"
#include "core/lua_guard.h"
#include "core/stack_room.h"
#include "lua.hpp"

namespace VemoSDK::Json {
namespace {

struct Token {
  TokenKind kind;
  int index;           // 0-based position of the token (of the fault for T_ERROR)
  const char* string;  // T_STRING: the decoded bytes; T_ERROR: the message
  int string_len;
  lua_Integer integer;  // T_INTEGER, and T_BOOLEAN as 0 or 1
  double number;        // T_NUMBER
};

struct Decoder {
  const Config* cfg;
  const char* data;  // zero-terminated, as every Lua string
  const char* ptr;
  StrBuf* tmp;  // decoded bytes of the current string token
  int depth;
  StackRoom room;  // nesting also ends where the thread's stack would
};


bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool starts_with_nocase(const char* p, const char* word) {
  for (; *word; ++p, ++word) {
    char c = *p;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *word) return false;
  }
  return true;
}

// Number forms that strict JSON forbids: "+1", "01", "0x1", "inf", "nan".
bool is_invalid_json_number(const char* p) {
  if (*p == '-') ++p;
  if (*p == '+') return true;
  if (p[0] == '0' && (is_digit(p[1]) || p[1] == 'x' || p[1] == 'X')) return true;
  return starts_with_nocase(p, "inf") || starts_with_nocase(p, "nan");
}

void set_error(Token* t, const Decoder* d, const char* at, const char* message) {
  t->kind = T_ERROR;
  t->index = static_cast<int>(at - d->data);
  t->string = message;
}

int hex4(const char* p) {
  int value = 0;
  for (int i = 0; i < 4; ++i) {
    char c = p[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return -1;  // also stops at the terminating zero
    value = value * 16 + digit;
  }
  return value;
}

void append_utf8(StrBuf* buf, int cp) {
  strbuf_ensure_empty_length(buf, 4);
  if (cp < 0x80) {
    strbuf_append_char_unsafe(buf, static_cast<char>(cp));
  } else if (cp < 0x800) {
    strbuf_append_char_unsafe(buf, static_cast<char>(0xC0 | (cp >> 6)));
    strbuf_append_char_unsafe(buf, static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    strbuf_append_char_unsafe(buf, static_cast<char>(0xE0 | (cp >> 12)));
    strbuf_append_char_unsafe(buf, static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    strbuf_append_char_unsafe(buf, static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    strbuf_append_char_unsafe(buf, static_cast<char>(0xF0 | (cp >> 18)));
    strbuf_append_char_unsafe(buf, static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    strbuf_append_char_unsafe(buf, static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    strbuf_append_char_unsafe(buf, static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// d->ptr is at the backslash of "\uXXXX"; a high surrogate must be followed
// by an escaped low one. Returns false for a bad escape.
bool read_unicode_escape(Decoder* d) {
  const char* p = d->ptr;
  int cp = hex4(p + 2);
  if (cp < 0 || (cp >= 0xDC00 && cp <= 0xDFFF)) return false;
  int consumed = 6;
  if (cp >= 0xD800 && cp <= 0xDBFF) {
    if (p[6] != '\\' || p[7] != 'u') return false;
    int low = hex4(p + 8);
    if (low < 0xDC00 || low > 0xDFFF) return false;
    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    consumed = 12;
  }
  append_utf8(d->tmp, cp);
  d->ptr += consumed;
  return true;
}

void read_string(Decoder* d, Token* t) {
  StrBuf* tmp = d->tmp;
  strbuf_reset(tmp);
  ++d->ptr;  // the opening quote
  const char* run = d->ptr;
  for (;;) {
    char ch = *d->ptr;
    if (ch == '"') break;
    if (ch == 0) {
      set_error(t, d, d->ptr, "unexpected end of string");
      return;
    }
    if (ch != '\\') {
      ++d->ptr;
      continue;
    }
    strbuf_append_mem(tmp, run, static_cast<size_t>(d->ptr - run));
    char escaped = d->cfg->escapes[static_cast<unsigned char>(d->ptr[1])];
    if (escaped == 0) {
      set_error(t, d, d->ptr, "invalid escape code");
      return;
    }
    if (escaped == 'u') {
      if (!read_unicode_escape(d)) {
        set_error(t, d, d->ptr, "invalid unicode escape code");
        return;
      }
    } else {
      strbuf_append_char(tmp, escaped);
      d->ptr += 2;
    }
    run = d->ptr;
  }
  strbuf_append_mem(tmp, run, static_cast<size_t>(d->ptr - run));
  ++d->ptr;  // the closing quote
  t->kind = T_STRING;
  t->string = tmp->buf;
  t->string_len = tmp->length;
}

// Integers stay integers: the text is read as a 64-bit integer (any base
// the C library recognises) unless a fraction or exponent follows.
void read_number(Decoder* d, Token* t) {
  // Short plain decimal integers, the common case, need no library call;
  // the result is what strtoll would give.
  const char* p = d->ptr;
  const char* digits = p + (*p == '-');
  const bool octal_or_hex = digits[0] == '0' && (is_digit(digits[1]) || digits[1] == 'x' || digits[1] == 'X');
  if (is_digit(digits[0]) && !octal_or_hex) {
    long long value = 0;
    const char* q = digits;
    while (is_digit(*q) && q - digits < 18) value = value * 10 + (*q++ - '0');
    if (!is_digit(*q) && *q != '.' && *q != 'e' && *q != 'E') {
      t->kind = T_INTEGER;
      t->integer = static_cast<lua_Integer>(*p == '-' ? -value : value);
      d->ptr = q;
      return;
    }
  }

  char* end = nullptr;
  long long integer = std::strtoll(d->ptr, &end, 0);
  if (end == d->ptr) {
    set_error(t, d, d->ptr, "invalid number");
    return;
  }
  if (*end == '.' || *end == 'e' || *end == 'E') {
    t->kind = T_NUMBER;
    t->number = fpconv_strtod(d->ptr, &end);
  } else {
    t->kind = T_INTEGER;
    t->integer = static_cast<lua_Integer>(integer);
  }
  d->ptr = end;
}

void next_token(Decoder* d, Token* t) {
  TokenKind kind;
  for (;;) {
    kind = d->cfg->token_kinds[static_cast<unsigned char>(*d->ptr)];
    if (kind != T_WHITESPACE) break;
    ++d->ptr;
  }
  t->index = static_cast<int>(d->ptr - d->data);
  switch (kind) {
    case T_END:
      t->kind = T_END;
      return;
    case T_ERROR:
      set_error(t, d, d->ptr, "invalid token");
      return;
    case T_UNKNOWN:
      break;
    default:
      t->kind = kind;
      ++d->ptr;
      return;
  }

  const char* p = d->ptr;
  if (*p == '"') {
    read_string(d, t);
    return;
  }
  if (*p == '-' || is_digit(*p)) {
    if (!d->cfg->decode_invalid_numbers && is_invalid_json_number(p)) set_error(t, d, p, "invalid number");
    else read_number(d, t);
    return;
  }
  if (std::strncmp(p, "true", 4) == 0) {
    t->kind = T_BOOLEAN;
    t->integer = 1;
    d->ptr += 4;
    return;
  }
  if (std::strncmp(p, "false", 5) == 0) {
    t->kind = T_BOOLEAN;
    t->integer = 0;
    d->ptr += 5;
    return;
  }
  if (std::strncmp(p, "null", 4) == 0) {
    t->kind = T_NULL;
    d->ptr += 4;
    return;
  }
  if (*p == '+' || starts_with_nocase(p, "inf") || starts_with_nocase(p, "nan")) {
    // "+5" reads as 5 while invalid numbers are allowed; inf and nan never
    // convert and stay "invalid number".
    if (!d->cfg->decode_invalid_numbers) set_error(t, d, p, "invalid number");
    else read_number(d, t);
    return;
  }
  set_error(t, d, p, "invalid token");
}

// Raises the Lua error; never returns.
void parse_error(lua_State* L, const char* expected, const Token* t) {
  const char* found = t->kind == T_ERROR ? t->string : token_kind_name(t->kind);
  luaL_error(L, "Expected %s but found %s at character %d", expected, found, t->index + 1);
}

void descend(lua_State* L, Decoder* d, int slots) {
  ++d->depth;
  if (d->depth <= d->cfg->decode_max_depth && lua_checkstack(L, slots) &&
      (d->depth <= kShallowNesting || d->room.enough()))
    return;
  luaL_error(L, "Found too many nested data structures (%d) at character %d", d->depth,
             static_cast<int>(d->ptr - d->data));
}

void push_value(lua_State* L, Decoder* d, Token* t);

void push_object(lua_State* L, Decoder* d, Token* t) {
  descend(L, d, 3);
  lua_newtable(L);
  next_token(d, t);
  if (t->kind != T_OBJ_END) {
    for (;;) {
      if (t->kind != T_STRING) parse_error(L, "object key string", t);
      lua_pushlstring(L, t->string, static_cast<size_t>(t->string_len));
      next_token(d, t);
      if (t->kind != T_COLON) parse_error(L, "colon", t);
      next_token(d, t);
      push_value(L, d, t);
      lua_rawset(L, -3);  // a null member leaves no key
      next_token(d, t);
      if (t->kind == T_OBJ_END) break;
      if (t->kind != T_COMMA) parse_error(L, "comma or object end", t);
      next_token(d, t);
    }
  }
  --d->depth;
}

void push_array(lua_State* L, Decoder* d, Token* t) {
  descend(L, d, 2);
  lua_newtable(L);
  next_token(d, t);
  if (t->kind != T_ARR_END) {
    for (lua_Integer i = 1;; ++i) {
      push_value(L, d, t);
      lua_rawseti(L, -2, i);  // a null element leaves a hole
      next_token(d, t);
      if (t->kind == T_ARR_END) break;
      if (t->kind != T_COMMA) parse_error(L, "comma or array end", t);
      next_token(d, t);
    }
  }
  --d->depth;
}

void push_value(lua_State* L, Decoder* d, Token* t) {
  switch (t->kind) {
    case T_STRING:
      lua_pushlstring(L, t->string, static_cast<size_t>(t->string_len));
      break;
    case T_NUMBER:
      lua_pushnumber(L, t->number);
      break;
    case T_INTEGER:
      lua_pushinteger(L, t->integer);
      break;
    case T_BOOLEAN:
      lua_pushboolean(L, static_cast<int>(t->integer));
      break;
    case T_OBJ_BEGIN:
      push_object(L, d, t);
      break;
    case T_ARR_BEGIN:
      push_array(L, d, t);
      break;
    case T_NULL:
      lua_pushnil(L);
      break;
    default:
      parse_error(L, "value", t);
  }
}

// Runs under lua_pcall so that json_decode can release its buffer after any
// error; argument: the decoder.
int decode_protected(lua_State* L) {
  auto* d = static_cast<Decoder*>(lua_touserdata(L, 1));
  Token t;
  next_token(d, &t);
  push_value(L, d, &t);
  next_token(d, &t);
  if (t.kind != T_END) parse_error(L, "the end", &t);
  return 1;
}

}  // namespace

int json_decode(lua_State* L) {
  const Config* cfg = config_of(L);
  luaL_argcheck(L, lua_gettop(L) == 1, 1, "expected 1 argument");
  size_t len = 0;
  const char* text = luaL_checklstring(L, 1, &len);
  // A zero among the first two bytes means a wider encoding than UTF-8.
  if (len >= 2 && (text[0] == 0 || text[1] == 0)) luaL_error(L, "JSON parser does not support UTF-16 or UTF-32");

  StrBuf tmp;
  strbuf_init(&tmp, 0);
  Decoder d{cfg, text, text, &tmp, 0, StackRoom()};
  vemo::lua_push_guarded(L, decode_protected);
  lua_pushlightuserdata(L, &d);
  int status = lua_pcall(L, 1, 1, 0);
  strbuf_free(&tmp);
  if (status != LUA_OK) {
    if (status == LUA_ERRRUN) prefix_error_with_caller(L);  // decoding runs no Lua code: the error is ours
    return lua_error(L);
  }
  return 1;
}

}  // namespace VemoSDK::Json
