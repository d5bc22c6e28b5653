#include "core/json_utils.h"

int json_get_int(const cJSON* object, const char* name) {
  const cJSON* item = object && name ? cJSON_GetObjectItemCaseSensitive(object, name) : nullptr;
  return cJSON_IsNumber(item) ? item->valueint : 0;
}

int json_get_int_or_bool(const cJSON* object, const char* name) {
  const cJSON* item = object && name ? cJSON_GetObjectItemCaseSensitive(object, name) : nullptr;
  if (cJSON_IsBool(item)) return cJSON_IsTrue(item) ? 1 : 0;
  return cJSON_IsNumber(item) ? item->valueint : 0;
}

const char* json_get_string(const cJSON* object, const char* name) {
  const cJSON* item = object && name ? cJSON_GetObjectItemCaseSensitive(object, name) : nullptr;
  return cJSON_IsString(item) ? item->valuestring : nullptr;
}

std::string json_string_or_empty(const cJSON* object, const char* name) {
  const char* text = json_get_string(object, name);
  return text ? text : "";
}
