#include "http/memory_request.h"

#include <cstdio>

namespace VemoSDKHttp {

void MemoryRequest::complete(CURLcode result) {
  long code = 0;
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &code);
  int status = static_cast<int>(code);
  if (result != CURLE_OK) {
    status = static_cast<int>(result);
    body = errorText[0] ? errorText : curl_easy_strerror(result);
    std::fprintf(stderr, "curl_easy_perform() failed: %s\n", body.c_str());
  }
  if (callbackId == 0) return;
  vemo::JsonPtr answer(cJSON_CreateObject());
  cJSON_AddItemToObject(answer.get(), "headers", cJSON_Duplicate(responseHeaders.get(), 1));
  cJSON_AddNumberToObject(answer.get(), "status", status);
  sink_.postResult(callbackId, vemo::print_json(answer.get()), body);
}

}  // namespace VemoSDKHttp
