#pragma once
// Member getters of cJSON objects.
#include <cjson/cJSON.h>

#include <string>

// Integer value of a member; 0 when the object or the member is absent or not a number.
int json_get_int(const cJSON* object, const char* name);
// The same, with true as 1 and false as 0.
int json_get_int_or_bool(const cJSON* object, const char* name);
// String value of a member (borrowed); null when absent or not a string.
const char* json_get_string(const cJSON* object, const char* name);
// String value of a member as a copy; empty when absent or not a string.
std::string json_string_or_empty(const cJSON* object, const char* name);
