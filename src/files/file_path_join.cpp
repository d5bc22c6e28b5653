#include "files/file_path_join.h"

#include <climits>
#include <cstring>

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

}  // namespace

int vemo_path_join_with(char* out, size_t out_size, const char* base, const char* sub, char separator) {
  if (out == nullptr || out_size == 0) return -1;
  size_t base_len = base ? std::strlen(base) : 0;
  bool add_separator = base_len > 0 && !is_separator(base[base_len - 1]);
  if (sub != nullptr && is_separator(sub[0])) ++sub;
  size_t sub_len = sub ? std::strlen(sub) : 0;

  size_t total = base_len + (add_separator ? 1 : 0) + sub_len;
  if (total >= out_size || total > static_cast<size_t>(INT_MAX)) {
    out[0] = '\0';
    return -1;
  }
  char* p = out;
  if (base_len > 0) {
    std::memcpy(p, base, base_len);
    p += base_len;
  }
  if (add_separator) *p++ = separator;
  if (sub_len > 0) {
    std::memcpy(p, sub, sub_len);
    p += sub_len;
  }
  *p = '\0';
  return static_cast<int>(total);
}

int vemo_path_join_win(char* out, size_t out_size, const char* base, const char* sub) {
  return vemo_path_join_with(out, out_size, base, sub, '\\');
}

int vemo_path_join(char* out, size_t out_size, const char* base, const char* sub) {
  return vemo_path_join_with(out, out_size, base, sub, '/');
}
