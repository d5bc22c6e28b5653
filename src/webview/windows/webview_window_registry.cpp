#include "webview/windows/webview_window_registry.h"

namespace VemoSDK {

WebViewWindowRegistry& webViewWindows() {
  static WebViewWindowRegistry registry;
  return registry;
}

}  // namespace VemoSDK
