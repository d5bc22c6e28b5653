#include "http/download_callbacks.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "http/download_task_info.h"
#include "core/debug_log.h"
#include "http/http_headers.h"

namespace VemoSDKHttp {
namespace {

long response_code(CURL* easy) {
  long code = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
  return code;
}

// Keeps "Name: value" lines of a 2xx answer; false for any other line.
bool collect_header_line(BufferData& request, std::string_view line, long code) {
  if (code >= 300) return false;
  std::string name, value;
  if (!split_header_line(line, name, value)) return false;
  cJSON* headers = request.responseHeaders.get();
  cJSON* text = cJSON_CreateString(value.c_str());
  if (cJSON_GetObjectItemCaseSensitive(headers, name.c_str()))
    cJSON_ReplaceItemInObjectCaseSensitive(headers, name.c_str(), text);
  else
    cJSON_AddItemToObject(headers, name.c_str(), text);
  return true;
}

}  // namespace

int64_t http_now_ms() { return static_cast<int64_t>(GetTickCount64()); }

size_t vmsdk_http_download_header_callback(char* line, size_t size, size_t count, void* record) {
  auto& task = *static_cast<DownloadTaskInfo*>(record);
  size_t length = size * count;
  std::string_view text(line, length);
  long code = response_code(task.easy.get());
  if (collect_header_line(task, text, code)) return length;
  // The empty line that ends the headers of the final answer.
  if (trim_http_text(text).empty() && code >= 200 && code < 300) return task.onHeadersEnd(code) ? length : 0;
  return length;
}

size_t vmsdk_http_header_callback(char* line, size_t size, size_t count, void* record) {
  auto& request = *static_cast<BufferData*>(record);
  size_t length = size * count;
  collect_header_line(request, std::string_view(line, length), response_code(request.easy.get()));
  return length;
}

size_t vmsdk_http_write_file_callback(char* data, size_t size, size_t count, void* record) {
  return static_cast<DownloadTaskInfo*>(record)->onData(data, size * count);
}

size_t vmsdk_http_write_memory_callback(char* data, size_t size, size_t count, void* record) {
  auto& request = *static_cast<BufferData*>(record);
  size_t length = size * count;
  if (request.noBody) return length;
  try {
    request.body.append(data, length);
  } catch (...) {
    return 0;  // out of memory: libcurl fails the transfer with a write error
  }
  return length;
}

int progress_callback(void* record, curl_off_t download_total, curl_off_t downloaded, curl_off_t, curl_off_t) {
  return static_cast<DownloadTaskInfo*>(record)->onProgress(download_total, downloaded);
}

}  // namespace VemoSDKHttp
