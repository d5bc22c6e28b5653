#pragma once
// Owner of a cJSON tree for the web view code, and printing to text.
#include <cjson/cJSON.h>

#include <memory>
#include <string>

namespace VemoSDK {

struct WebViewJsonDeleter {
  void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using WebViewJson = std::unique_ptr<cJSON, WebViewJsonDeleter>;

// Printed formatted (the form the web view events carry), or unformatted;
// "" for null.
std::string printJson(const cJSON* item, bool formatted);

}  // namespace VemoSDK
