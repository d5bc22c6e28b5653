#pragma once
// The "status" values of download results besides HTTP status codes and
// libcurl error numbers.
namespace VemoSDKHttp {

enum HttpResultCode : int {
  kStatusNetworkDown = -1003,     // aborted: the network went down
  kStatusCheckFailed = 7009001,   // the finished file failed the MD5 or size check
  kStatusRenameFailed = 7009006,  // moving the finished file to its destination failed
  kStatusStopped = 7011001,       // aborted: the download was stopped
  kStatusCurlInit = 7011009,      // no easy handle could be made
  kStatusOpenFailed = 7011010,    // the file could not be opened
  kStatusRangeMismatch = 7011013,  // the answer's Content-Range is not the requested range
  kStatusBadParameter = 7016008,   // the request cannot be made as described (too long, missing, duplicate)
};

}  // namespace VemoSDKHttp
