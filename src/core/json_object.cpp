#include "core/json_object.h"

#include <cstdlib>

namespace {
bool usable(const cJSON* object, const char* key) { return object && key && *key; }
}  // namespace

bool JsonObject::create() {
  object_.reset(cJSON_CreateObject());
  return object_ != nullptr;
}

void JsonObject::destroy() { object_.reset(); }

void JsonObject::addBool(const char* key, bool value) {
  if (usable(object_.get(), key)) cJSON_AddBoolToObject(object_.get(), key, value ? 1 : 0);
}

void JsonObject::addNumber(const char* key, double value) {
  if (usable(object_.get(), key)) cJSON_AddNumberToObject(object_.get(), key, value);
}

void JsonObject::addString(const char* key, const char* value) {
  if (usable(object_.get(), key)) cJSON_AddStringToObject(object_.get(), key, value ? value : "");
}

void JsonObject::addItemRef(const char* key, cJSON* item) {
  if (usable(object_.get(), key) && item) cJSON_AddItemReferenceToObject(object_.get(), key, item);
}

std::string JsonObject::print() const {
  return vemo::json_text(object_.get(), false);
}
