#pragma once
// Owner of a GDI object (bitmap, font, brush), deleted with DeleteObject.
#include <windows.h>

template <class T>
class UniqueGdiObject {
public:
  UniqueGdiObject() = default;
  ~UniqueGdiObject() { reset(); }
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  T get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }

private:
  T object_ = nullptr;
};
