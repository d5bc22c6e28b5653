#pragma once
// The installation's built-in cipher keys, numbered from 1.
#include <cstddef>

// The key under index, or null (and 0 length) for an unknown index.
const char* sdk_key(int index, size_t* length);

// The buffer run through RC4 under the indexed key, in a malloc'd buffer of
// length bytes (caller frees); null for an unknown index.
unsigned char* vemosdk_crypt_with_key_index(int index, const void* data, size_t length);
