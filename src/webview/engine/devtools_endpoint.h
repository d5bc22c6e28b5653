#pragma once
// Finds the browser's DevTools endpoint through the runtime folder's
// endpoint file. Only a loopback endpoint is accepted.
#include <string>

namespace VemoSDK {
namespace WebEngine {

struct DevToolsEndpoint {
  std::string host;  // always "127.0.0.1"
  int port = 0;
};

// Parses "127.0.0.1:<port>" (surrounding blanks and a line break allowed).
bool parseDevToolsEndpoint(const std::string& text, DevToolsEndpoint& out);

// Reads the endpoint file of the runtime folder; false with why filled in
// when it is missing or does not hold a loopback endpoint.
bool readDevToolsEndpoint(const std::wstring& runtimeFolder, DevToolsEndpoint& out, std::string& why);

}  // namespace WebEngine
}  // namespace VemoSDK
