#pragma once
// GDI+ started for as long as the object lives, with a token of its own, so
// that threads and images never shut down each other's GDI+.
#include <windows.h>
#include <objidl.h>  // before gdiplus.h, which needs it under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

namespace VemoSDK {

class GdiplusSession {
public:
  GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
  }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

  bool started() const { return started_; }

private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

// A GDI+ image decoded from encoded bytes (PNG and the other formats GDI+
// reads); null when they do not decode. Needs a started session.
Gdiplus::Image* decodeGdiplusImage(const unsigned char* bytes, size_t length);

}  // namespace VemoSDK
