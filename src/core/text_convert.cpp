#include "core/text_convert.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

std::wstring to_wide(UINT code_page, const char* text, size_t length) {
  if (!text || length == 0 || length > INT_MAX) return {};
  int n = MultiByteToWideChar(code_page, 0, text, static_cast<int>(length), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text, static_cast<int>(length), out.data(), n);
  return out;
}

std::string to_narrow(UINT code_page, DWORD flags, const wchar_t* text, size_t length) {
  if (!text || length == 0 || length > INT_MAX) return {};
  int n = WideCharToMultiByte(code_page, flags, text, static_cast<int>(length), nullptr, 0, nullptr,
                              nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, flags, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
  return out;
}

template <class Char>
Char* dup_array(const std::basic_string<Char>& text) {
  if (text.empty()) return nullptr;
  Char* out = new Char[text.size() + 1];
  std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(Char));
  return out;
}

}  // namespace

std::wstring utf8_to_wstring(const std::string& text) { return to_wide(CP_UTF8, text.data(), text.size()); }

std::wstring utf8_to_wstring(const char* text) {
  return text ? to_wide(CP_UTF8, text, std::strlen(text)) : std::wstring();
}

std::string wstring_to_utf8(const std::wstring& text) { return to_narrow(CP_UTF8, 0, text.data(), text.size()); }

std::string wstring_to_utf8(const wchar_t* text) {
  return text ? to_narrow(CP_UTF8, 0, text, std::wcslen(text)) : std::string();
}

std::string wstring_to_utf8_checked(const std::wstring& text) {
  if (text.empty()) return {};
  std::string out = to_narrow(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), text.size());
  if (out.empty())
    std::fprintf(stderr, "wstring_to_utf8_checked: invalid UTF-16 text (error %lu)\n", GetLastError());
  return out;
}

int utf8_to_wide_buf(const char* text, wchar_t* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  buffer[0] = L'\0';
  if (!text || !*text) return 0;
  int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, capacity);
  if (n <= 0) {
    buffer[0] = L'\0';
    return 0;
  }
  return n - 1;  // n counts the terminator
}

wchar_t* utf8_to_wide_dup(const char* text) { return dup_array(utf8_to_wstring(text)); }

char* wide_to_utf8_dup(const wchar_t* text) { return dup_array(wstring_to_utf8(text)); }

wchar_t* ansi_to_wide_dup(const char* text) {
  if (!text || !*text) return nullptr;
  size_t n = std::mbstowcs(nullptr, text, 0);
  if (n == static_cast<size_t>(-1)) return nullptr;
  wchar_t* out = new wchar_t[n + 1];
  std::mbstowcs(out, text, n + 1);
  out[n] = L'\0';
  return out;
}

char* vemo_strdup(const char* text) { return text ? dup_array(std::string(text)) : nullptr; }

std::string convert_code_page(UINT from, UINT to, const std::string& text) {
  std::wstring wide = to_wide(from, text.data(), text.size());
  return to_narrow(to, 0, wide.data(), wide.size());
}

void utf8_truncate(std::string& text, size_t max_bytes) {
  if (text.size() <= max_bytes) return;
  size_t cut = max_bytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
}
