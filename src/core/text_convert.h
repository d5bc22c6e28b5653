#pragma once
// Conversion between UTF-8 (the text of every interface), UTF-16 (only at
// Windows calls) and the ANSI code page.
#include <windows.h>

#include <string>

std::wstring utf8_to_wstring(const std::string& text);
std::wstring utf8_to_wstring(const char* text);  // null gives empty
std::string wstring_to_utf8(const std::wstring& text);
std::string wstring_to_utf8(const wchar_t* text);  // null gives empty
// Strict conversion: unpaired surrogates are an error, reported on the
// standard error stream, and give an empty result.
std::string wstring_to_utf8_checked(const std::wstring& text);

// Converts into buffer (capacity in characters, terminator included) and
// returns the characters written without the terminator; 0 when it does not
// fit or the text is null or empty.
int utf8_to_wide_buf(const char* text, wchar_t* buffer, int capacity);

// The `_dup` forms return new[] arrays freed with vemo_delete_array, null for
// a null or empty input.
wchar_t* utf8_to_wide_dup(const char* text);
char* wide_to_utf8_dup(const wchar_t* text);
wchar_t* ansi_to_wide_dup(const char* text);  // through the C library's current locale
char* vemo_strdup(const char* text);
template <class T>
void vemo_delete_array(T* array) {
  delete[] array;
}

// Cuts text to at most max_bytes without splitting a UTF-8 sequence.
void utf8_truncate(std::string& text, size_t max_bytes);

// Text in code page `from` converted through UTF-16 into code page `to`
// (CP_UTF8 = 65001, CP_ACP = 0); empty when the text is empty or invalid.
std::string convert_code_page(UINT from, UINT to, const std::string& text);
