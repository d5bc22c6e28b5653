#include "core/logs/log_json.h"

namespace vemo::logs {

std::string print_json_formatted(const cJSON* item) { return json_text(item, true); }

}  // namespace vemo::logs
