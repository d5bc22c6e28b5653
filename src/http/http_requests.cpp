// HttpManager: requests whose answer is kept in memory (GET, POST, multipart
// uploads) and the public-key pins they carry.
#include <cstdio>

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "http/download_callbacks.h"
#include "http/download_thread.h"
#include "http/http_manager.h"
#include "http/http_result_code.h"
#include "http/memory_request.h"
#include "http/multipart_form.h"

using vemo::CurlSlist;
using vemo::JsonPtr;
using VemoSDKHttp::MemoryRequest;

namespace {

constexpr long kUploadTimeoutS = 20;
constexpr long kUploadConnectTimeoutS = 10;
constexpr const char* kNoCache = "cache-control: no-cache";

size_t append_to_string(char* data, size_t size, size_t count, void* out) {
  try {
    static_cast<std::string*>(out)->append(data, size * count);
  } catch (...) {
    return 0;
  }
  return size * count;
}

}  // namespace

void HttpManager::httpGet(int64_t callback_id, const std::string& url, CurlSlist headers, bool no_host_check) {
  auto request = newMemoryRequest(callback_id, url, std::move(headers), no_host_check);
  if (!request) return;
  CURL* easy = request->easy.get();
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request->headers.get());
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, VemoSDKHttp::vmsdk_http_header_callback);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, request.get());
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 1L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request_timeout_ms_));
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connect_timeout_ms_));
  pushTransfer(std::move(request));
}

void HttpManager::httpPost(int64_t callback_id, const std::string& url, std::string_view body, CurlSlist headers,
                           bool no_host_check, const char* options_json) {
  JsonPtr options(options_json ? cJSON_Parse(options_json) : nullptr);
  const cJSON* form = cJSON_GetObjectItemCaseSensitive(options.get(), "safe_formdata");
  auto request = newMemoryRequest(callback_id, url, std::move(headers), no_host_check);
  if (!request) return;
  CURL* easy = request->easy.get();
  if (form) {
    // The caller's header lines stay with the record; the form goes with
    // its own.
    std::string error;
    if (!vemo::append_header(request->sentHeaders, kNoCache) ||
        !VemoSDKHttp::build_safe_formdata(easy, form, request->form, error)) {
      vemo_debug_printf("http_post form failed: %s", error.c_str());
      postRequestFailure(callback_id, CURLE_READ_ERROR, error.empty() ? "no memory for the form" : error);
      return;
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request->sentHeaders.get());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, kUploadTimeoutS);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kUploadConnectTimeoutS);
    curl_easy_setopt(easy, CURLOPT_MIMEPOST, request->form.get());
  } else {
    // The size first, so that a body with NUL bytes is copied whole.
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, body.data());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request->headers.get());
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, VemoSDKHttp::vmsdk_http_header_callback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, request.get());
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request_timeout_ms_));
  }
  pushTransfer(std::move(request));
}

int HttpManager::uploadFileSync(const std::string& url, const std::string& path, std::string& response) {
  response.clear();
  vemo::CurlEasy easy(curl_easy_init());
  CurlSlist headers;
  if (!easy || !vemo::append_header(headers, kNoCache)) return kUploadNoHandle;
  std::string bytes;
  if (!vemo_read_file(path, bytes)) {
    vemo_debug_printf("vmsdk_http_upload_file cannot read:%s", path.c_str());
    return CURLE_READ_ERROR;
  }
  vemo::CurlMime form;
  if (!VemoSDKHttp::build_file_form(easy.get(), path, bytes, form)) return CURLE_OUT_OF_MEMORY;
  curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT, kUploadTimeoutS);
  curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT, kUploadConnectTimeoutS);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, append_to_string);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &response);
  curl_easy_setopt(easy.get(), CURLOPT_MIMEPOST, form.get());
  return curl_easy_perform(easy.get());
}

void HttpManager::uploadAsync(const std::string& url, const std::string& file_name, std::string_view data) {
  if (shutting_down_) return;
  auto request = std::make_unique<MemoryRequest>(sink_);
  request->easy.reset(curl_easy_init());
  if (!request->easy || !vemo::append_header(request->sentHeaders, kNoCache) ||
      !VemoSDKHttp::build_file_form(request->easy.get(), file_name, data, request->form)) {
    std::fputs("init curl failed\n", stderr);
    return;
  }
  setMemoryRequestBasics(*request, url);
  CURL* easy = request->easy.get();
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request->sentHeaders.get());
  curl_easy_setopt(easy, CURLOPT_MIMEPOST, request->form.get());
  pushTransfer(std::move(request));
}

// The URL and the answer collected into the record, found again by the
// download thread.
void HttpManager::setMemoryRequestBasics(MemoryRequest& request, const std::string& url) {
  request.url = url;
  CURL* easy = request.easy.get();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, VemoSDKHttp::vmsdk_http_write_memory_callback);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &request);
  curl_easy_setopt(easy, CURLOPT_PRIVATE, &request);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, request.errorText);
}

std::unique_ptr<MemoryRequest> HttpManager::newMemoryRequest(int64_t callback_id, const std::string& url,
                                                             CurlSlist headers, bool no_host_check) {
  if (shutting_down_) return nullptr;
  auto request = std::make_unique<MemoryRequest>(sink_);
  request->easy.reset(curl_easy_init());
  if (!request->easy) {
    std::fputs("init curl failed\n", stderr);
    // The caller waits for exactly one answer: a failure, not silence.
    postRequestFailure(callback_id, VemoSDKHttp::kStatusCurlInit, "curl init failed");
    return nullptr;
  }
  request->callbackId = callback_id;
  request->headers = std::move(headers);
  request->noHostCheck = no_host_check;
  setMemoryRequestBasics(*request, url);
  CURL* easy = request->easy.get();
  VemoSDKHttp::set_common_tls_options(easy, no_host_check, transferSettings());
  std::string pins = pins_.get_curl_format_pubkey();
  if (!pins.empty()) {
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_PINNEDPUBLICKEY, pins.c_str());
    vemo_debug_printf("curl_easy_setopt:%s\n", pins.c_str());
  }
  return request;
}

void HttpManager::postRequestFailure(int64_t callback_id, int status, const std::string& msg) {
  if (callback_id == 0) return;
  JsonPtr answer(cJSON_CreateObject());
  cJSON_AddItemToObject(answer.get(), "headers", cJSON_CreateObject());
  cJSON_AddNumberToObject(answer.get(), "status", status);
  cJSON_AddStringToObject(answer.get(), "msg", msg.c_str());
  sink_.postResult(callback_id, vemo::print_json(answer.get()), {});
}
