#pragma once
// The libcurl callbacks of downloads, HEAD pre-checks and in-memory
// requests. They run on the download thread with the request record as their
// user data.
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>

namespace VemoSDKHttp {

// Milliseconds of a steady clock (intervals only).
int64_t http_now_ms();

size_t vmsdk_http_download_header_callback(char* line, size_t size, size_t count, void* record);
// Collects the "Name: value" lines of a 2xx answer (HEAD pre-checks, GET, POST).
size_t vmsdk_http_header_callback(char* line, size_t size, size_t count, void* record);
size_t vmsdk_http_write_file_callback(char* data, size_t size, size_t count, void* record);
size_t vmsdk_http_write_memory_callback(char* data, size_t size, size_t count, void* record);
int progress_callback(void* record, curl_off_t download_total, curl_off_t downloaded, curl_off_t upload_total,
                      curl_off_t uploaded);

}  // namespace VemoSDKHttp
