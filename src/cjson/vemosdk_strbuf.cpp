#include "cjson/vemosdk_strbuf.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace VemoSDK::Json {

void strbuf_die(const char* message) {
  std::fprintf(stderr, "%s\n", message);
  std::fflush(stderr);
  std::exit(-1);
}

void strbuf_init(StrBuf* s, int len) {
  int size = len <= 0 ? kStrBufDefaultSize : len;
  size += 1;  // the terminating zero
  s->buf = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
  if (!s->buf) strbuf_die("Out of memory");
  s->size = size;
  s->length = 0;
  s->increment = kStrBufDefaultIncrement;
  s->dynamic = 0;
  s->reallocs = 0;
  s->debug = 0;
  strbuf_ensure_null(s);
}

StrBuf* strbuf_new(int len) {
  auto* s = static_cast<StrBuf*>(std::malloc(sizeof(StrBuf)));
  if (!s) strbuf_die("Out of memory");
  strbuf_init(s, len);
  s->dynamic = 1;
  return s;
}

void strbuf_free(StrBuf* s) {
  if (s->debug > 0 && s->buf) {
    std::fprintf(stderr, "strbuf(%lx) reallocs: %d, length: %d, size: %d\n",
                 static_cast<unsigned long>(reinterpret_cast<size_t>(s)), s->reallocs, s->length, s->size);
  }
  std::free(s->buf);
  s->buf = nullptr;
  s->size = s->length = 0;
  if (s->dynamic) std::free(s);
}

// The size (zero included) that holds len bytes under the buffer's growth rule.
static int new_size(const StrBuf* s, int len) {
  if (len <= 0) strbuf_die("BUG: Invalid strbuf length requested");
  if (len >= INT_MAX) strbuf_die("Out of memory");
  long long needed = static_cast<long long>(len) + 1;
  long long size = s->size;
  if (size >= needed) return static_cast<int>(size);
  if (s->increment < 0) {
    if (size < 1) size = 1;
    while (size < needed) size *= -s->increment;
  } else {
    size = (needed + s->increment - 1) / s->increment * s->increment;
  }
  if (size > INT_MAX) size = needed;  // past the rule's reach: exactly what fits
  return static_cast<int>(size);
}

void strbuf_resize(StrBuf* s, int len) {
  int size = new_size(s, len);
  if (s->debug > 1) {
    std::fprintf(stderr, "strbuf(%lx) resize: %d => %d\n", static_cast<unsigned long>(reinterpret_cast<size_t>(s)),
                 s->size, size);
  }
  char* grown = static_cast<char*>(std::realloc(s->buf, static_cast<size_t>(size)));
  if (!grown) strbuf_die("Out of memory");
  s->buf = grown;
  s->size = size;
  s->reallocs++;
}

void strbuf_append_mem(StrBuf* s, const char* c, size_t len) {
  if (len > static_cast<size_t>(INT_MAX - 1 - s->length)) strbuf_die("Out of memory");
  strbuf_ensure_empty_length(s, static_cast<int>(len));
  std::memcpy(s->buf + s->length, c, len);
  s->length += static_cast<int>(len);
}

}  // namespace VemoSDK::Json
