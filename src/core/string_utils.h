#pragma once
// Small text functions shared by every subsystem.
#include <cstddef>
#include <string>
#include <vector>

// Splits at every occurrence of separator, keeping empty pieces; an empty
// separator gives the whole text as the one piece.
std::vector<std::string> split_string(const std::string& text, const std::string& separator);

// Compares dotted versions field by field as decimal numbers (a missing field
// counts 0): -1, 0 or 1. "1.2" equals "1.2.0"; "1.10" is above "1.9".
int compare_version(const std::string& a, const std::string& b);

bool string_starts_with(const std::string& text, const std::string& prefix);
bool wstring_starts_with(const std::wstring& text, const std::wstring& prefix);
bool wstring_ends_with(const std::wstring& text, const std::wstring& suffix);

// The value of a hex digit of either case, -1 for any other character.
int hex_digit_value(char c);

// "%XX" (either case) becomes that byte, "+" a space; anything else, and a
// "%" without two hex digits, is kept. out holds at least strlen(in) + 1.
void url_decode(char* out, const char* in);
std::string url_decode(const std::string& in);

// Lowercase hex of length bytes into out, high nibble first, no terminator.
// Returns 2 x length; with a null out or out_size 0 only that need; 0 when
// out_size is too small (out[0] is then 0 and the last error
// ERROR_INSUFFICIENT_BUFFER).
size_t to_hex_string(const unsigned char* data, size_t length, char* out, size_t out_size);
std::string to_hex_string(const void* data, size_t length);

// In-place case change (C library, current locale); null is ignored.
void str_to_lower(char* text);
void str_to_upper(char* text);
