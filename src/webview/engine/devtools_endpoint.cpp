#include "webview/engine/devtools_endpoint.h"

#include "core/file_utils.h"
#include "core/text_convert.h"
#include "webview/engine/web_engine.h"

#include <cctype>
#include <cstdlib>

namespace VemoSDK {
namespace WebEngine {

namespace {

std::string trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

bool parseDevToolsEndpoint(const std::string& text, DevToolsEndpoint& out) {
  const std::string line = trimmed(text);
  const std::string prefix = "127.0.0.1:";
  if (line.compare(0, prefix.size(), prefix) != 0) return false;
  const std::string digits = line.substr(prefix.size());
  if (digits.empty() || digits.size() > 5) return false;
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  const int port = std::atoi(digits.c_str());
  if (port < 1 || port > 65535) return false;
  out.host = "127.0.0.1";
  out.port = port;
  return true;
}

bool readDevToolsEndpoint(const std::wstring& runtimeFolder, DevToolsEndpoint& out, std::string& why) {
  std::wstring path = runtimeFolder;
  if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
  path += kEndpointFileName;
  std::string text;
  if (!vemo_read_file(wstring_to_utf8(path), text)) {
    why = "no browser endpoint file " + wstring_to_utf8(path);
    return false;
  }
  if (!parseDevToolsEndpoint(text, out)) {
    why = "the endpoint file " + wstring_to_utf8(path) + " holds no 127.0.0.1:<port> line";
    return false;
  }
  return true;
}

}  // namespace WebEngine
}  // namespace VemoSDK
