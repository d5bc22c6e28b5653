#include "screen_picture.h"

#include "core/text_convert.h"

#include "test_support.h"

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

namespace vemo::test {
namespace {

bool savePng(HBITMAP bitmap, const std::wstring& path) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
  bool saved = false;
  {
    Gdiplus::Bitmap picture(bitmap, nullptr);
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<unsigned char> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count && !saved; ++i)
      if (std::wstring(encoders[i].MimeType) == L"image/png")
        saved = picture.Save(path.c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
  }
  Gdiplus::GdiplusShutdown(token);
  return saved;
}

}  // namespace

bool save_screen_picture(const RECT& area, const std::string& name) {
  std::string folder = work_dir() + "\\screenshots";
  CreateDirectoryW(utf8_to_wstring(folder).c_str(), nullptr);
  int width = area.right - area.left, height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  bool saved = savePng(bitmap, utf8_to_wstring(folder + "\\" + name));
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace vemo::test
