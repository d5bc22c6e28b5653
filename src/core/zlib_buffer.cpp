#include "core/zlib_buffer.h"

#include <zlib.h>

#include <cstring>

bool zlib_compress_text(const char* text, unsigned char* out, size_t capacity, size_t* out_length) {
  if (out_length) *out_length = 0;
  if (!text || !*text || !out) return false;
  uLongf produced = static_cast<uLongf>(capacity);
  if (compress2(out, &produced, reinterpret_cast<const Bytef*>(text), static_cast<uLong>(std::strlen(text)),
                Z_DEFAULT_COMPRESSION) != Z_OK)
    return false;
  if (out_length) *out_length = produced;
  return true;
}

bool zlib_uncompress_buffer(const unsigned char* data, size_t length, unsigned char* out, size_t capacity,
                            size_t* out_length) {
  if (out_length) *out_length = 0;
  if (!data || !length || !out) return false;
  uLongf produced = static_cast<uLongf>(capacity);
  if (uncompress(out, &produced, data, static_cast<uLong>(length)) != Z_OK) return false;
  if (out_length) *out_length = produced;
  return true;
}
