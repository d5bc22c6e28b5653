#pragma once
// The crypt module's hex and base64 decoders, which refuse malformed text
// instead of stopping early like the SDK's lenient base64 reader.
#include <string>

// Lower-case hex pairs to bytes. False with the error text for an odd length
// or a character outside 0-9 and a-f.
bool strict_hex_decode(const std::string& text, std::string& out, std::string& error);
// Base64 with "=" padding; characters outside the alphabet are skipped.
// False with the error text for a cut group or misplaced or loose padding.
bool strict_base64_decode(const std::string& text, std::string& out, std::string& error);
