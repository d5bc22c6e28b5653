#include "webview/url_encoding.h"

#include "core/path_utils.h"

#include <algorithm>
#include <cstring>

namespace VemoSDK {
namespace {

bool isAlphaNumeric(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isKept(unsigned char c, UrlEncodeTable table) {
  if (c >= 0x80) return false;
  if (isAlphaNumeric(c)) return true;
  const char* marks = table == UrlEncodeTable::uri ? "!#$%&'()*,-./:;=?@[]_~" : "!'()*-._~";
  return std::strchr(marks, static_cast<char>(c)) != nullptr;
}

}  // namespace

std::string urlEncode(const std::string& text, UrlEncodeTable table) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c != 0 && isKept(c, table)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string normaliseLocalUrl(const std::string& url) {
  if (!is_local_file_path(url)) return url;
  std::string slashed = url;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  return urlEncode(slashed, UrlEncodeTable::uri);
}

}  // namespace VemoSDK
