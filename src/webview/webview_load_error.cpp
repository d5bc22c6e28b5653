#include "webview/webview_load_error.h"

#include "webview/url_encoding.h"

namespace VemoSDK {

WebViewLoadError classifyLoadError(int httpStatus, int webErrorStatus) {
  if (httpStatus >= 400 && httpStatus <= 599) return {-5, httpStatus};
  switch (webErrorStatus) {
    case 1: case 2: case 3: case 4: case 5:  // certificate errors
      return {-4, 0};
    case 6:   // server unreachable
    case 13:  // host name not resolved
      return {-2, 0};
    case 7: case 8: case 10: case 11: case 12: case 15:
      return {-3, 0};
    default:
      return {-1, 0};
  }
}

std::string makeErrorPageUrl(const WebViewLoadError& error, const std::string& url) {
  std::string out = "vemo://error?code=" + std::to_string(error.code);
  if (error.subCode > 0) out += "&sub_code=" + std::to_string(error.subCode);
  return out + "&url=" + urlEncode(url, UrlEncodeTable::component);
}

}  // namespace VemoSDK
