#include "cjson/vemosdk_fpconv.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cjson/vemosdk_strbuf.h"

namespace VemoSDK::Json {
namespace {

char g_locale_decimal_point = '.';

[[noreturn]] void fatal(const char* message) {
  std::fprintf(stderr, "%s\n", message);
  std::fflush(stderr);
  std::abort();
}

// Characters that may belong to a number as strtod reads it (digits, signs,
// the point, exponents, hex digits, "inf", "nan", "infinity").
bool is_number_char(char c) {
  if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.') return true;
  return (c >= 'a' && c <= 'y') || (c >= 'A' && c <= 'Y');
}

}  // namespace

void fpconv_init() {
  char buf[8] = {};
  std::snprintf(buf, sizeof(buf), "%g", 0.5);
  if (buf[0] != '0' || buf[1] == 0 || buf[2] != '5' || buf[3] != 0) fatal("Error: wide characters found or printf() bug.");
  g_locale_decimal_point = buf[1];
}

int fpconv_g_fmt(char* out, double num, int precision) {
  if (precision < 1 || precision > 16) fatal("1 <= precision && precision <= 16");
  char format[8] = {'%', '.', 0};
  int at = 2;
  if (precision >= 10) format[at++] = static_cast<char>('0' + precision / 10);
  format[at++] = static_cast<char>('0' + precision % 10);
  format[at++] = 'g';
  format[at] = 0;
  int len = std::snprintf(out, kFpconvBufferSize, format, num);
  if (len < 0 || len >= kFpconvBufferSize) len = static_cast<int>(std::strlen(out));
  if (g_locale_decimal_point != '.') {
    for (int i = 0; i < len; ++i) {
      if (out[i] == g_locale_decimal_point) out[i] = '.';
    }
  }
  return len;
}

double fpconv_strtod(const char* text, char** end) {
  if (g_locale_decimal_point == '.') return std::strtod(text, end);

  // Hand the C library a copy that spells the point the locale's way.
  size_t len = 0;
  while (is_number_char(text[len])) ++len;
  char local[32];
  char* copy = len < sizeof(local) ? local : static_cast<char*>(std::malloc(len + 1));
  if (!copy) strbuf_die("Out of memory");
  std::memcpy(copy, text, len);
  copy[len] = 0;
  for (size_t i = 0; i < len; ++i) {
    if (copy[i] == '.') copy[i] = g_locale_decimal_point;
  }
  char* copy_end = nullptr;
  double value = std::strtod(copy, &copy_end);
  if (end) *end = const_cast<char*>(text) + (copy_end - copy);
  if (copy != local) std::free(copy);
  return value;
}

}  // namespace VemoSDK::Json
