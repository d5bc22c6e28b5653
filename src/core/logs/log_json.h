#pragma once
// cJSON trees of the log records and the log queries.
#include <cjson/cJSON.h>

#include <memory>
#include <string>

namespace vemo::logs {

struct JsonTreeDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonTree = std::unique_ptr<cJSON, JsonTreeDeleter>;

// cJSON_Print (the indented form the log files and queries use); "" when it cannot print.
std::string print_json_formatted(const cJSON* item);

}  // namespace vemo::logs
