#pragma once
// Base64 (RFC 4648 standard alphabet).
#include <cstddef>
#include <string>
#include <vector>

// Decodes from the start up to the first "=" or character outside the
// alphabet; a final group of 2 or 3 characters gives 1 or 2 bytes. Never
// fails: bad input only ends the output early.
std::vector<unsigned char> base64_decode_string(const std::string& text);

// Encodes with "=" padding.
std::string base64_encode(const void* data, size_t length);
