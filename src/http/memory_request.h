#pragma once
// A request whose answer is kept in memory: GET, POST and the multipart
// uploads. Its answer is the status, the headers and the body.
#include "http/buffer_data.h"
#include "http/curl_handles.h"

namespace VemoSDKHttp {

class MemoryRequest final : public BufferData {
public:
  MemoryRequest() {
    noBody = false;
    body.reserve(kInitialBuffer);
  }

  CurlMime form;  // the multipart body, when the request sends one

private:
  static constexpr size_t kInitialBuffer = 4096;
};

}  // namespace VemoSDKHttp
