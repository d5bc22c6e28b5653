#pragma once
// cJSON trees of the log records and the log queries.
#include <cjson/cJSON.h>

#include <memory>
#include <string>

#include "core/owners.h"

namespace vemo::logs {

// cJSON_Print (the indented form the log files and queries use); "" when it cannot print.
std::string print_json_formatted(const cJSON* item);

}  // namespace vemo::logs
