#pragma once
// An image a window can paint, from a base64 text of a BMP file (kind 0) or
// of any image GDI+ reads, such as PNG (kind 1). Used on one thread.
#include "webview/overlay/gdiplus_session.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/owners.h"

namespace VemoSDK {

class WindowImage {
public:
  enum Kind { kBitmap = 0, kGdiplusImage = 1 };

  WindowImage() = default;
  ~WindowImage();
  WindowImage(const WindowImage&) = delete;
  WindowImage& operator=(const WindowImage&) = delete;

  // Replaces the image; false (and empty) when the text does not decode into
  // an image of that kind, such as a BMP whose header promises more pixel
  // data than it carries.
  bool load(int kind, const std::string& base64Text);
  // Paints the image at (0, 0) inside BeginPaint / EndPaint; false when empty.
  bool paint(HWND window) const;
  void clear();

  bool empty() const { return !bitmap_ && !image_; }
  int width() const { return width_; }
  int height() const { return height_; }

private:
  bool loadBitmap(const std::vector<unsigned char>& bytes);
  bool loadGdiplusImage(const std::vector<unsigned char>& bytes);

  vemo::UniqueGdiObject<HBITMAP> bitmap_;
  std::unique_ptr<GdiplusSession> gdiplus_;  // started for the image, ended after it
  std::unique_ptr<Gdiplus::Image> image_;
  int width_ = 0;
  int height_ = 0;
};

// Whether bytes are a BMP file this holder can show: a 14-byte file header,
// a device-independent bitmap header of at least 40 bytes, an uncompressed
// layout, and as many pixel bytes after the bits offset as the header's size
// and depth need.
bool isCompleteBmp(const std::vector<unsigned char>& bytes);

}  // namespace VemoSDK
