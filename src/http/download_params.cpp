#include "http/download_params.h"

#include <cstring>

namespace VemoSDKHttp {

bool set_param_text(char* field, size_t capacity, std::string_view text) {
  if (capacity == 0) return text.empty();
  size_t n = text.size();
  bool whole = n < capacity;
  if (!whole) {
    n = capacity - 1;
    // Step back over continuation bytes so that no character is cut in two.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  std::memset(field, 0, capacity);
  std::memcpy(field, text.data(), n);
  return whole;
}

void terminate_param_texts(DownloadParams& params) {
  params.taskId[sizeof params.taskId - 1] = '\0';
  params.file[sizeof params.file - 1] = '\0';
  params.checksum[sizeof params.checksum - 1] = '\0';
  params.dest[sizeof params.dest - 1] = '\0';
  params.param_if_range[sizeof params.param_if_range - 1] = '\0';
}

}  // namespace VemoSDKHttp
