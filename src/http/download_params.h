#pragma once
// The fixed record that describes one download. The Lua side fills it from a
// table whose keys name the fields; HttpManager copies it by value. Text
// fields are NUL-terminated UTF-8 in zero-filled arrays.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct DownloadParams {
  char taskId[33];            // "taskId": key of every pending and running record
  char file[2048];            // "file": path written while downloading
  char checksum[39];          // "checksum": expected MD5 (hex), or empty
  int64_t expect_size;        // "expect_size": 0 or less means unknown
  char dest[2048];            // "dest": path the verified file is renamed to; empty: no rename
  int32_t dataRetrievalTimeout;  // "dataRetrievalTimeout": logged only
  int32_t connectionTimeout;     // ms; 0 or less takes the manager's
  char param_if_range[100];      // "param_if_range": ETag or Last-Modified a resume must still match
  int32_t low_speed_limit_bytes;         // bytes/s; 0 or less takes the manager's
  int32_t low_speed_limit_timeout_secs;  // s; 0 or less takes the manager's
  int64_t batchSubmitCbid;  // batch id of submit_download_list; positive marks a batch download
  int32_t priority;         // greater than 0 is high priority
  int32_t thread_count;     // greater than 0 becomes the maximum of concurrent downloads
};

namespace VemoSDKHttp {

// Copies text into a fixed field, cut so that it fits with its terminator and
// never in the middle of a UTF-8 sequence. Returns whether it fitted whole.
bool set_param_text(char* field, size_t capacity, std::string_view text);
template <size_t N>
bool set_param_text(char (&field)[N], std::string_view text) {
  return set_param_text(field, N, text);
}

// Puts a terminator at the end of every text field, so that a record from
// elsewhere can be read as C strings.
void terminate_param_texts(DownloadParams& params);

// The text of a field (up to its terminator or its end).
template <size_t N>
std::string param_text(const char (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n] != '\0') ++n;
  return std::string(field, n);
}

}  // namespace VemoSDKHttp
