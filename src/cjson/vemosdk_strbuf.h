#pragma once
// Growable byte buffer of the JSON module: a plain record, because the
// encoder keeps one in the module's configuration between calls. Its users
// fill it inside a protected call and free it after that call returns,
// whether or not a Lua error ended it.
#include <cstddef>
#include <cstring>

namespace VemoSDK::Json {

struct StrBuf {
  char* buf;
  int size;       // bytes allocated; one is always kept for the terminating zero
  int length;     // bytes in use
  int increment;  // < 0: multiply the size by -increment; > 0: round up to a multiple
  int dynamic;    // the record itself came from strbuf_new
  int reallocs;
  int debug;      // > 0: report on free; > 1: report every resize (standard error)
};

constexpr int kStrBufDefaultSize = 1023;
constexpr int kStrBufDefaultIncrement = -2;  // doubling

void strbuf_init(StrBuf* s, int len);
StrBuf* strbuf_new(int len);
void strbuf_free(StrBuf* s);
// Grows the buffer so that it holds at least len bytes plus the zero.
void strbuf_resize(StrBuf* s, int len);

inline void strbuf_reset(StrBuf* s) { s->length = 0; }
inline int strbuf_empty_length(const StrBuf* s) { return s->size - s->length - 1; }

inline void strbuf_ensure_empty_length(StrBuf* s, int len) {
  if (len > strbuf_empty_length(s)) strbuf_resize(s, s->length + len);
}
inline char* strbuf_empty_ptr(StrBuf* s) { return s->buf + s->length; }
inline void strbuf_extend_length(StrBuf* s, int len) { s->length += len; }

inline void strbuf_append_char(StrBuf* s, char c) {
  strbuf_ensure_empty_length(s, 1);
  s->buf[s->length++] = c;
}
inline void strbuf_append_char_unsafe(StrBuf* s, char c) { s->buf[s->length++] = c; }

void strbuf_append_mem(StrBuf* s, const char* c, size_t len);
inline void strbuf_append_mem_unsafe(StrBuf* s, const char* c, int len) {
  std::memcpy(s->buf + s->length, c, static_cast<size_t>(len));
  s->length += len;
}

inline void strbuf_ensure_null(StrBuf* s) { s->buf[s->length] = 0; }

// Ends the process: the module's contract for allocation failure.
[[noreturn]] void strbuf_die(const char* message);

}  // namespace VemoSDK::Json
