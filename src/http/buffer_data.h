#pragma once
// One request in flight. It travels with its easy handle (found again from
// CURLINFO_PRIVATE): from the thread that builds it, through the download
// thread, to its own completion, which posts its answer.
#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/owners.h"
#include "http/download_params.h"

namespace VemoSDKHttp {

class BufferData : public std::enable_shared_from_this<BufferData> {
public:
  BufferData() : responseHeaders(cJSON_CreateObject()) {}
  virtual ~BufferData() = default;
  BufferData(const BufferData&) = delete;
  BufferData& operator=(const BufferData&) = delete;

  // Called on the download thread after every pass of the loop while the
  // request runs (a paused download resumes here).
  virtual void onLoopPass(int64_t now_ms) { (void)now_ms; }
  // On the download thread once the transfer is over (result: libcurl's).
  virtual void complete(CURLcode result) = 0;

  int64_t callbackId = 0;  // 0: nobody waits for the answer
  DownloadParams params{};
  int64_t knownTotal = 0;  // bytes of the whole resource; 0 unknown
  std::string url;
  bool noHostCheck = false;
  vemo::CurlSlist headers;     // the request's own header lines
  vemo::CurlSlist sentHeaders;  // lines sent instead, when the request uses its own
  std::string body;      // collected answer of in-memory requests
  bool noBody = true;
  vemo::CurlEasy easy;
  vemo::JsonPtr responseHeaders;  // name -> value of the answer (2xx only)
  char errorText[CURL_ERROR_SIZE] = {};
};

}  // namespace VemoSDKHttp
