#pragma once
// A picture of the program folder, read whole and decoded from memory, so
// that no picture file stays open while an update replaces files. UI thread
// only.
#include "core/owners.h"

#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which needs it under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <memory>
#include <string>

// A decoded picture and the memory stream GDI+ keeps reading it from.
class SkinImage {
public:
  // Null when the file cannot be read or decoded.
  static std::unique_ptr<SkinImage> load(const std::wstring& path);

  Gdiplus::Image* get() const { return image_.get(); }
  SIZE size() const;

private:
  vemo::ComPtr<IStream> stream_;  // declared first: the image goes before its stream
  std::unique_ptr<Gdiplus::Image> image_;
};

// The picture of an optional image, or null.
inline Gdiplus::Image* image_of(const std::unique_ptr<SkinImage>& image) { return image ? image->get() : nullptr; }
