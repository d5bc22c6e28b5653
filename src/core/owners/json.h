#pragma once
// Owners of a cJSON tree and of the text cJSON prints, and printing to text.
#include <cjson/cJSON.h>

#include <memory>
#include <string>

namespace vemo {

struct JsonDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonPtr = std::unique_ptr<cJSON, JsonDeleter>;

struct JsonTextFree {
  void operator()(char* text) const { cJSON_free(text); }
};
// Text from cJSON_Print and the like: cJSON's allocator need not be malloc.
using JsonText = std::unique_ptr<char, JsonTextFree>;

// The tree as text, indented or on one line; fallback for a null item or
// when cJSON cannot print it.
inline std::string json_text(const cJSON* item, bool formatted, const char* fallback = "") {
  JsonText text(item ? (formatted ? cJSON_Print(item) : cJSON_PrintUnformatted(item)) : nullptr);
  return text ? text.get() : fallback;
}

// On one line; "{}" for null.
inline std::string print_json(const cJSON* item) { return json_text(item, false, "{}"); }

// A JSON string literal of text, quotes and escapes included.
inline std::string json_quoted(const std::string& text) {
  JsonPtr item(cJSON_CreateString(text.c_str()));
  return json_text(item.get(), false, "\"\"");
}

}  // namespace vemo
