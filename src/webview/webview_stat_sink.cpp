#include "webview/webview_stat_sink.h"

#include <atomic>

namespace VemoSDK {
namespace {
std::atomic<WebViewStatSink> sink{nullptr};
std::atomic<WebViewNetworkStateSource> networkState{nullptr};
}  // namespace

void setWebViewStatSink(WebViewStatSink newSink) { sink = newSink; }
WebViewStatSink webViewStatSink() { return sink; }

void setWebViewNetworkStateSource(WebViewNetworkStateSource source) { networkState = source; }
int webViewNetworkState() {
  WebViewNetworkStateSource source = networkState;
  return source ? source() : 0;
}

}  // namespace VemoSDK
