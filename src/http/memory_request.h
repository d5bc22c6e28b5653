#pragma once
// A request whose answer is kept in memory: GET, POST and the multipart
// uploads. Its answer is the status, the headers and the body.
#include "core/owners.h"
#include "http/buffer_data.h"
#include "http/http_events.h"

namespace VemoSDKHttp {

class MemoryRequest final : public BufferData {
public:
  explicit MemoryRequest(HttpEventSink& sink) : sink_(sink) {
    noBody = false;
    body.reserve(kInitialBuffer);
  }
  // Posts {"headers","status"} with the body (libcurl's error text on a
  // failure); nothing when nobody waits.
  void complete(CURLcode result) override;

  vemo::CurlMime form;  // the multipart body, when the request sends one

private:
  static constexpr size_t kInitialBuffer = 4096;
  HttpEventSink& sink_;
};

}  // namespace VemoSDKHttp
