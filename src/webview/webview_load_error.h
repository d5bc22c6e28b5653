#pragma once
// What a failed entry page tells Lua: a code (and the HTTP status as its
// sub-code) and the "vemo://error?..." URL the error page is shown with.
#include <string>

namespace VemoSDK {

struct WebViewLoadError {
  int code = 0;     // -1 other, -2 unreachable, -3 connection, -4 certificate, -5 HTTP status
  int subCode = 0;  // the HTTP status for -5, else 0
};

// HTTP status 400-599 gives -5 with the status; otherwise the web error status decides.
WebViewLoadError classifyLoadError(int httpStatus, int webErrorStatus);

// "vemo://error?code=<code>[&sub_code=<status>]&url=<url, component-encoded>".
std::string makeErrorPageUrl(const WebViewLoadError& error, const std::string& url);

}  // namespace VemoSDK
