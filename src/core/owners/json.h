#pragma once
// Owner of a cJSON tree, and printing to text.
#include <cjson/cJSON.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace vemo {

struct JsonDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonPtr = std::unique_ptr<cJSON, JsonDeleter>;

inline std::string print_json(const cJSON* item) {
  char* text = item ? cJSON_PrintUnformatted(item) : nullptr;
  if (!text) return "{}";
  std::string out(text);
  cJSON_free(text);
  return out;
}

}  // namespace vemo
