#pragma once
// In-memory zlib (RFC 1950) compression of short buffers, as the key store's file uses.
#include <cstddef>

// Compresses a non-empty C string (default level) into out; false on error or
// when the result does not fit capacity.
bool zlib_compress_text(const char* text, unsigned char* out, size_t capacity, size_t* out_length);
// Decompresses into out; false for broken data or when the result does not fit.
bool zlib_uncompress_buffer(const unsigned char* data, size_t length, unsigned char* out, size_t capacity,
                            size_t* out_length);
