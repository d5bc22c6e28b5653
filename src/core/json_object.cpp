#include "core/json_object.h"

#include <cstdlib>
#include <utility>

namespace {
bool usable(const cJSON* object, const char* key) { return object && key && *key; }
}  // namespace

JsonObject& JsonObject::operator=(JsonObject&& other) noexcept {
  if (this != &other) {
    destroy();
    object_ = std::exchange(other.object_, nullptr);
  }
  return *this;
}

bool JsonObject::create() {
  destroy();
  object_ = cJSON_CreateObject();
  return object_ != nullptr;
}

void JsonObject::destroy() {
  if (object_) cJSON_Delete(object_);
  object_ = nullptr;
}

void JsonObject::addBool(const char* key, bool value) {
  if (usable(object_, key)) cJSON_AddBoolToObject(object_, key, value ? 1 : 0);
}

void JsonObject::addNumber(const char* key, double value) {
  if (usable(object_, key)) cJSON_AddNumberToObject(object_, key, value);
}

void JsonObject::addString(const char* key, const char* value) {
  if (usable(object_, key)) cJSON_AddStringToObject(object_, key, value ? value : "");
}

void JsonObject::addItemRef(const char* key, cJSON* item) {
  if (usable(object_, key) && item) cJSON_AddItemReferenceToObject(object_, key, item);
}

std::string JsonObject::print() const {
  if (!object_) return "";
  char* text = cJSON_PrintUnformatted(object_);
  if (!text) return "";
  std::string printed(text);
  cJSON_free(text);
  return printed;
}
