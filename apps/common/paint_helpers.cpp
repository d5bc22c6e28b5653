#include "paint_helpers.h"

namespace {
ULONG_PTR g_gdiplus_token = 0;
}  // namespace

void start_gdiplus_once() {
  if (g_gdiplus_token) return;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&g_gdiplus_token, &input, nullptr) != Gdiplus::Ok) g_gdiplus_token = 0;
}

void stop_gdiplus() {
  if (!g_gdiplus_token) return;
  Gdiplus::GdiplusShutdown(g_gdiplus_token);
  g_gdiplus_token = 0;
}

HFONT create_ui_font(int height) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Microsoft YaHei");
}

HBITMAP create_scaled_background(HDC window_dc, Gdiplus::Image& image, int width, int height,
                                 Gdiplus::InterpolationMode interpolation) {
  HBITMAP bitmap = CreateCompatibleBitmap(window_dc, width, height);
  if (!bitmap) return nullptr;
  HDC memory_dc = CreateCompatibleDC(window_dc);
  HGDIOBJ previous = SelectObject(memory_dc, bitmap);
  RECT all = {0, 0, width, height};
  FillRect(memory_dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  {
    Gdiplus::Graphics graphics(memory_dc);
    if (interpolation != Gdiplus::InterpolationModeDefault) {
      graphics.SetInterpolationMode(interpolation);
      graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    }
    UINT image_width = image.GetWidth();
    int scaled_height = image_width ? MulDiv(static_cast<int>(image.GetHeight()), width, static_cast<int>(image_width)) : 0;
    graphics.DrawImage(&image, 0, 0, width, scaled_height);
  }
  SelectObject(memory_dc, previous);
  DeleteDC(memory_dc);
  return bitmap;
}

void draw_background_behind(Gdiplus::Graphics& graphics, Gdiplus::Image& background, HWND child, HWND parent,
                            int width, int height) {
  // The background is drawn at the parent's client width: divide by that
  // factor to find the child's part of it in image pixels.
  RECT client;
  GetClientRect(parent, &client);
  POINT origin = {0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  UINT image_width = background.GetWidth();
  double factor = (client.right && image_width) ? static_cast<double>(client.right) / image_width : 1.0;
  Gdiplus::RectF target(0, 0, static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height));
  graphics.DrawImage(&background, target, static_cast<Gdiplus::REAL>(origin.x / factor),
                     static_cast<Gdiplus::REAL>(origin.y / factor), static_cast<Gdiplus::REAL>(width / factor),
                     static_cast<Gdiplus::REAL>(height / factor), Gdiplus::UnitPixel);
}
