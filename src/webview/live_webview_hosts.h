#pragma once
// The hosts that exist right now, by serial number. Every asynchronous
// callback of the browser and every late answer from Lua finds its host
// here first: a host destroyed meanwhile, or a new one built at the same
// address, is never mistaken for the one that asked. UI thread only.
#include <cstdint>
#include <string>

namespace VemoSDK {

// What the dispatcher needs of a host to answer a page.
class WebViewReplyTarget {
public:
  virtual ~WebViewReplyTarget() = default;
  virtual void callbackJs(const std::string& id, const std::string& text) = 0;
};

using WebViewSerial = uint64_t;

class LiveWebViewHosts {
public:
  // A serial never handed out before (never 0).
  static WebViewSerial add(WebViewReplyTarget* host);
  static void remove(WebViewSerial serial);
  static WebViewReplyTarget* find(WebViewSerial serial);  // null when gone
  static bool isAlive(WebViewSerial serial) { return find(serial) != nullptr; }
};

}  // namespace VemoSDK
