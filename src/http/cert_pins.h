#pragma once
// The public-key pins of GET and POST requests: base64 SHA-256 digests of
// the servers' public keys. A pin is never removed. The Lua thread adds
// pins; whichever thread builds a request reads them.
#include <mutex>
#include <set>
#include <string>

namespace VemoSDKHttp {

class CertPins {
public:
  void add(const std::string& pin);
  // "sha256//<pin>" for every pin in sorted order, joined with ";"; empty
  // when there is none (no pinning then).
  std::string get_curl_format_pubkey() const;

private:
  mutable std::mutex lock_;
  std::set<std::string> pins_;
};

}  // namespace VemoSDKHttp
