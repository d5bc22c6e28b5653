#pragma once
// Where the web view's statistics records go: start-up plugs in the SDK's
// stat events (the records reach the scripts as "sdk.lua.stat" commits);
// tests plug in their own. Without a sink records are dropped.
class JsonObject;

namespace VemoSDK {

// event, record name, parameters (borrowed for the call).
using WebViewStatSink = bool (*)(const char* event, const char* action, JsonObject* params);
void setWebViewStatSink(WebViewStatSink sink);
WebViewStatSink webViewStatSink();

// The network state each record carries as "net_type"; start-up plugs in the
// one the download engine reads. Without a source the state is 0 (connected).
using WebViewNetworkStateSource = int (*)();
void setWebViewNetworkStateSource(WebViewNetworkStateSource source);
int webViewNetworkState();

}  // namespace VemoSDK
