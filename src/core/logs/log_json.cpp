#include "core/logs/log_json.h"

namespace vemo::logs {

std::string print_json_formatted(const cJSON* item) {
  char* text = item ? cJSON_Print(item) : nullptr;
  if (!text) return std::string();
  std::string printed(text);
  cJSON_free(text);
  return printed;
}

}  // namespace vemo::logs
