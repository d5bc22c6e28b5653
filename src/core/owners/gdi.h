#pragma once
// Owner of a GDI object (bitmap, font, brush, pen), deleted with DeleteObject.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace vemo {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
// T is the handle type: UniqueGdiObject<HFONT>, UniqueGdiObject<HBITMAP> ...
template <class T>
using UniqueGdiObject = std::unique_ptr<std::remove_pointer_t<T>, GdiObjectDeleter>;

}  // namespace vemo
