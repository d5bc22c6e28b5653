#pragma once
// The configuration of one JSON module instance: a full userdata held as the
// only upvalue of every function of the instance.
#include "cjson/vemosdk_strbuf.h"

struct lua_State;

namespace VemoSDK::Json {

// Token kinds of the decoder; their names appear in error messages.
enum TokenKind : unsigned char {
  T_OBJ_BEGIN,
  T_OBJ_END,
  T_ARR_BEGIN,
  T_ARR_END,
  T_STRING,
  T_NUMBER,
  T_INTEGER,
  T_BOOLEAN,
  T_NULL,
  T_COLON,
  T_COMMA,
  T_END,
  T_WHITESPACE,
  T_ERROR,
  T_UNKNOWN,
};

const char* token_kind_name(TokenKind kind);

// Nesting up to this depth always fits on the stack; deeper levels also
// check the stack that is left (StackRoom).
constexpr int kShallowNesting = 64;

enum InvalidNumbers { kInvalidOff = 0, kInvalidOn = 1, kInvalidNull = 2 };

struct Config {
  TokenKind token_kinds[256];  // kind of a token by its first byte
  char escapes[256];           // byte after a backslash -> byte it stands for; 'u': \uXXXX; 0: invalid

  StrBuf encode_buf;  // kept between encodes while encode_keep_buffer is on
  int encode_sparse_convert;
  int encode_sparse_ratio;
  int encode_sparse_safe;
  int encode_max_depth;
  int encode_invalid_numbers;
  int encode_number_precision;
  int encode_keep_buffer;
  int encode_empty_table_as_array;
  int decode_invalid_numbers;
  int decode_max_depth;

  int encode_buf_allocated;  // encode_buf holds memory
  int encode_buf_busy;       // an encode is writing into encode_buf (a metamethod may encode again)
};

// Fills the tables and the default options.
void config_init(Config* cfg);
void config_keep_encode_buffer(Config* cfg, bool keep);
// The instance's configuration; raises a Lua error when the upvalue is missing.
Config* config_of(lua_State* L);

// Errors raised under lua_pcall miss the caller's "chunk:line:" prefix that
// luaL_error gives; this adds it to the message on the top of the stack.
void prefix_error_with_caller(lua_State* L);

int json_encode(lua_State* L);
int json_decode(lua_State* L);

}  // namespace VemoSDK::Json
