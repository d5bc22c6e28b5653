#include "webview/live_webview_hosts.h"

#include <map>

namespace VemoSDK {
namespace {

struct LiveSet {
  WebViewSerial lastSerial = 0;
  std::map<WebViewSerial, WebViewReplyTarget*> hosts;
};

LiveSet& liveSet() {
  static LiveSet set;
  return set;
}

}  // namespace

WebViewSerial LiveWebViewHosts::add(WebViewReplyTarget* host) {
  LiveSet& set = liveSet();
  WebViewSerial serial = ++set.lastSerial;
  set.hosts[serial] = host;
  return serial;
}

void LiveWebViewHosts::remove(WebViewSerial serial) { liveSet().hosts.erase(serial); }

WebViewReplyTarget* LiveWebViewHosts::find(WebViewSerial serial) {
  auto found = liveSet().hosts.find(serial);
  return found == liveSet().hosts.end() ? nullptr : found->second;
}

}  // namespace VemoSDK
