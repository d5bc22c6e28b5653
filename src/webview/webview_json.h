#pragma once
// Printing a cJSON tree for the web view code.
#include <cjson/cJSON.h>

#include <string>

namespace VemoSDK {

// Printed formatted (the form the web view events carry), or unformatted;
// "" for null.
std::string printJson(const cJSON* item, bool formatted);

}  // namespace VemoSDK
