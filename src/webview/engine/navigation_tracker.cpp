#include "webview/engine/navigation_tracker.h"

#include <cstring>

namespace VemoSDK {
namespace WebEngine {

namespace {

struct NetErrorStatus {
  const char* name;
  int status;
};

// Chromium's network error names and the web error each one means.
const NetErrorStatus kNetErrors[] = {
    {"net::ERR_NAME_NOT_RESOLVED", kWebErrorHostNameNotResolved},
    {"net::ERR_NAME_RESOLUTION_FAILED", kWebErrorHostNameNotResolved},
    {"net::ERR_CONNECTION_REFUSED", kWebErrorServerUnreachable},
    {"net::ERR_ADDRESS_UNREACHABLE", kWebErrorServerUnreachable},
    {"net::ERR_NETWORK_UNREACHABLE", kWebErrorServerUnreachable},
    {"net::ERR_ADDRESS_INVALID", kWebErrorServerUnreachable},
    {"net::ERR_ABORTED", kWebErrorConnectionAborted},
    {"net::ERR_CONNECTION_ABORTED", kWebErrorConnectionAborted},
    {"net::ERR_CERT_COMMON_NAME_INVALID", kWebErrorCertificateCommonNameIsIncorrect},
    {"net::ERR_CERT_DATE_INVALID", kWebErrorCertificateExpired},
    {"net::ERR_BAD_SSL_CLIENT_AUTH_CERT", kWebErrorClientCertificateContainsErrors},
    {"net::ERR_SSL_CLIENT_AUTH_CERT_NEEDED", kWebErrorClientCertificateContainsErrors},
    {"net::ERR_CERT_REVOKED", kWebErrorCertificateRevoked},
    {"net::ERR_TIMED_OUT", kWebErrorTimeout},
    {"net::ERR_CONNECTION_TIMED_OUT", kWebErrorTimeout},
    {"net::ERR_INVALID_RESPONSE", kWebErrorHttpInvalidServerResponse},
    {"net::ERR_EMPTY_RESPONSE", kWebErrorHttpInvalidServerResponse},
    {"net::ERR_INVALID_HTTP_RESPONSE", kWebErrorHttpInvalidServerResponse},
    {"net::ERR_RESPONSE_HEADERS_TRUNCATED", kWebErrorHttpInvalidServerResponse},
    {"net::ERR_CONNECTION_RESET", kWebErrorConnectionReset},
    {"net::ERR_CONNECTION_CLOSED", kWebErrorDisconnected},
    {"net::ERR_INTERNET_DISCONNECTED", kWebErrorDisconnected},
    {"net::ERR_NETWORK_CHANGED", kWebErrorDisconnected},
    {"net::ERR_CONNECTION_FAILED", kWebErrorCannotConnect},
    {"net::ERR_UNSAFE_PORT", kWebErrorCannotConnect},
    {"net::ERR_TOO_MANY_REDIRECTS", kWebErrorRedirectFailed},
    {"net::ERR_UNSAFE_REDIRECT", kWebErrorRedirectFailed},
    {"net::ERR_INVALID_REDIRECT", kWebErrorRedirectFailed},
};

}  // namespace

int webErrorFromNetError(const std::string& errorText) {
  for (const NetErrorStatus& entry : kNetErrors)
    if (errorText == entry.name) return entry.status;
  // Every other certificate fault is a certificate the browser cannot trust.
  if (errorText.compare(0, 13, "net::ERR_CERT") == 0) return kWebErrorCertificateIsInvalid;
  return kWebErrorUnknown;
}

NavigationStartingArgs NavigationTracker::started(const std::string& loaderId, const std::string& url,
                                                  std::optional<NavigationCompletedArgs>& endedBefore) {
  endedBefore.reset();
  if (open_) endedBefore = completion(false, kWebErrorConnectionAborted);
  loaderId_ = loaderId;
  httpStatus_ = 0;
  committed_ = false;
  open_ = true;
  NavigationStartingArgs args;
  args.uri = url;
  args.navigationId = ++lastId_;
  return args;
}

void NavigationTracker::responseReceived(const std::string& loaderId, int httpStatus) {
  if (open_ && loaderId == loaderId_) httpStatus_ = httpStatus;
}

void NavigationTracker::committed(const std::string& loaderId) {
  if (open_ && loaderId == loaderId_) committed_ = true;
}

std::optional<NavigationCompletedArgs> NavigationTracker::failed(const std::string& loaderId,
                                                                 const std::string& errorText, bool canceled) {
  if (!open_ || loaderId != loaderId_) return std::nullopt;
  int status = webErrorFromNetError(errorText);
  if (canceled && status == kWebErrorUnknown) status = kWebErrorConnectionAborted;
  return completion(false, status);
}

std::optional<NavigationCompletedArgs> NavigationTracker::stoppedLoading() {
  if (!open_ || !committed_) return std::nullopt;
  return completion(true, kWebErrorUnknown);
}

NavigationCompletedArgs NavigationTracker::completion(bool loadedDocument, int webError) {
  open_ = false;
  NavigationCompletedArgs args;
  args.navigationId = lastId_;
  args.httpStatusCode = httpStatus_;
  args.isSuccess = loadedDocument && httpStatus_ < 400;
  args.webErrorStatus = args.isSuccess ? kWebErrorUnknown : webError;
  return args;
}

}  // namespace WebEngine
}  // namespace VemoSDK
