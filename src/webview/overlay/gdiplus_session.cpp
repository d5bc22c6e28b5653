#include "webview/overlay/gdiplus_session.h"

#include <cstring>
#include <memory>

namespace VemoSDK {

Gdiplus::Image* decodeGdiplusImage(const unsigned char* bytes, size_t length) {
  if (!bytes || length == 0) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, length);
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, bytes, length);
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  // The stream owns the memory from here on and frees it when released.
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  // GDI+ keeps reading the stream while the image lives: Image holds its own
  // reference, so ours goes now.
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream));
  stream->Release();
  if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) return nullptr;
  return image.release();
}

}  // namespace VemoSDK
