#include "core/logs/log_records.h"

#include <cjson/cJSON.h>

#include "core/logs/log_json.h"
#include "core/owners.h"

namespace vemo::logs {

namespace {

// The JSON value at `start` printed on one line, when it is followed by the
// record's "\n"; `next` is then the offset after that "\n".
bool json_record_at(const std::string& text, size_t start, std::string& line, size_t& next) {
  if (start >= text.size() || text[start] != '{') return false;
  const char* end = nullptr;
  vemo::JsonPtr value(cJSON_ParseWithOpts(text.c_str() + start, &end, 0));
  if (!value || !end || *end != '\n') return false;
  MallocPtr<char> printed(cJSON_PrintUnformatted(value.get()));
  if (!printed) return false;
  line = printed.get();
  next = static_cast<size_t>(end - text.c_str()) + 1;
  return true;
}

}  // namespace

std::vector<std::string> split_log_records(const std::string& text) {
  std::vector<std::string> records;
  size_t offset = 0;
  while (offset < text.size()) {
    bool event = text.compare(offset, 2, "E{") == 0;
    std::string line;
    size_t next = 0;
    if (json_record_at(text, offset + (event ? 1 : 0), line, next)) {
      records.push_back(event ? "E" + line : line);
      offset = next;
      continue;
    }
    size_t end = text.find('\n', offset);
    if (end == std::string::npos) end = text.size();
    records.push_back(text.substr(offset, end - offset));
    offset = end + 1;
  }
  return records;
}

}  // namespace vemo::logs
