#pragma once
// Small owner of one cJSON object, for building the JSON arguments and
// results that native code hands to Lua. Used by one thread at a time.
#include <cjson/cJSON.h>

#include <string>

#include "core/owners.h"

class JsonObject {
public:
  JsonObject() = default;  // invalid until create()
  JsonObject(JsonObject&&) noexcept = default;
  JsonObject& operator=(JsonObject&&) noexcept = default;
  JsonObject(const JsonObject&) = delete;
  JsonObject& operator=(const JsonObject&) = delete;

  // A new empty object in place of the current one; false when out of memory.
  bool create();
  void destroy();
  bool valid() const { return object_ != nullptr; }
  cJSON* get() const { return object_.get(); }

  // Each adds nothing for an empty or null key, or to an invalid object.
  void addBool(const char* key, bool value);
  void addNumber(const char* key, double value);
  void addString(const char* key, const char* value);  // a null value adds ""
  // A reference to an item that someone else owns and keeps alive while
  // this object is printed; a null item adds nothing.
  void addItemRef(const char* key, cJSON* item);

  // The object without formatting; "" for an invalid object.
  std::string print() const;

private:
  vemo::JsonPtr object_;
};
