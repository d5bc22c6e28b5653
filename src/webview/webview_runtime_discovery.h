#pragma once
// Where the browser runtime of the web views lives, and whether it can run.
#include <string>

namespace VemoSDK {

class WebViewRuntimeDiscovery {
public:
  // The folder set by vemosdk_set_webview_path, else the program folder + "WebView2".
  static std::wstring folder();
  // 0: no runtime folder; 1: usable; -1: too new for this Windows version.
  static int check();
};

}  // namespace VemoSDK
