// Drawing of the download notification window into a 32-bit surface whose
// alpha channel UpdateLayeredWindow puts on screen.
#include "notification_state.h"

#include <cstdint>
#include <memory>

namespace {

// A memory device context with a top-down 32-bit DIB section selected.
class LayeredSurface {
public:
  LayeredSurface(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_.reset(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (dc_ && bitmap_) previous_ = SelectObject(dc_, bitmap_.get());
  }
  ~LayeredSurface() {
    if (previous_) SelectObject(dc_, previous_);
    if (dc_) DeleteDC(dc_);
  }
  LayeredSurface(const LayeredSurface&) = delete;
  LayeredSurface& operator=(const LayeredSurface&) = delete;

  bool ready() const { return previous_ && bits_; }
  HDC dc() const { return dc_; }
  uint32_t* pixels() const { return static_cast<uint32_t*>(bits_); }
  // A GDI+ bitmap over the same pixels (premultiplied, as the layered window wants them).
  std::unique_ptr<Gdiplus::Bitmap> wrap() const {
    return std::make_unique<Gdiplus::Bitmap>(width_, height_, width_ * 4, PixelFormat32bppPARGB,
                                             static_cast<BYTE*>(bits_));
  }

private:
  int width_, height_;
  HDC dc_ = nullptr;
  vemo::UniqueGdiObject<HBITMAP> bitmap_;
  void* bits_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

Gdiplus::Rect to_rect(const RECT& r) { return Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

void draw_background(Gdiplus::Graphics& graphics, NotificationState& state) {
  const NotificationMetrics& m = state.metrics;
  NotificationPictures& pictures = state.pictures;
  if (pictures.background && !pictures.background_bitmap)
    pictures.background_bitmap = prerender_notification_background(*pictures.background->get(), m.width, m.height);
  if (pictures.background_bitmap) {
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.DrawImage(pictures.background_bitmap.get(), 0, 0, m.width, m.height);
  } else if (pictures.background) {
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
    graphics.DrawImage(pictures.background->get(), 0, 0, m.width, m.height);
  } else {
    Gdiplus::SolidBrush fill(Gdiplus::Color(255, GetRValue(state.skin.background), GetGValue(state.skin.background),
                                            GetBValue(state.skin.background)));
    graphics.FillRectangle(&fill, 0, 0, m.width, m.height);
  }
}

// The message, word-wrapped with an end ellipsis, centred vertically in its area.
void draw_message(HDC dc, NotificationState& state) {
  RECT area = state.layout.text;
  HGDIOBJ previous = SelectObject(dc, state.text_font.get());
  SetTextColor(dc, state.skin.message_colour());
  SetBkMode(dc, TRANSPARENT);
  RECT measured = area;
  const UINT flags = DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;
  DrawTextW(dc, state.message.c_str(), -1, &measured, flags | DT_CALCRECT);
  int height = measured.bottom - measured.top;
  int area_height = area.bottom - area.top;
  if (height < area_height) {
    area.top += (area_height - height) / 2;
    area.bottom = area.top + height;
  }
  DrawTextW(dc, state.message.c_str(), -1, &area, flags);
  SelectObject(dc, previous);
}

void draw_button(Gdiplus::Graphics& graphics, HDC dc, NotificationState& state) {
  const RECT& box = state.layout.button;
  NotificationPictures& pictures = state.pictures;
  if (pictures.button || pictures.button_hover) {
    Gdiplus::Image* picture = state.button_hover && pictures.button_hover ? pictures.button_hover->get()
                              : pictures.button                           ? pictures.button->get()
                                                                          : pictures.button_hover->get();
    graphics.DrawImage(picture, to_rect(box));
    graphics.Flush(Gdiplus::FlushIntentionSync);
  } else {
    vemo::UniqueGdiObject<HBRUSH> fill;
    fill.reset(CreateSolidBrush(state.skin.button_background));
    vemo::UniqueGdiObject<HPEN> border;
    border.reset(CreatePen(PS_SOLID, 1, state.skin.button_border));
    HGDIOBJ old_brush = SelectObject(dc, fill.get());
    HGDIOBJ old_pen = SelectObject(dc, border.get());
    int corner = state.metrics.scaled(8);
    RoundRect(dc, box.left, box.top, box.right, box.bottom, corner, corner);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
  }
  RECT text_box = box;
  HGDIOBJ previous = SelectObject(dc, state.text_font.get());
  SetTextColor(dc, state.button_hover ? state.skin.button_text_hover : state.skin.button_text);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, state.button.c_str(), -1, &text_box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, previous);
}

void draw_close_box(Gdiplus::Graphics& graphics, HDC dc, NotificationState& state) {
  const RECT& box = state.layout.close;
  NotificationPictures& pictures = state.pictures;
  Gdiplus::Image* picture = state.close_hover && pictures.close_hover ? pictures.close_hover->get()
                            : pictures.close                          ? pictures.close->get()
                                                                      : nullptr;
  if (picture) {
    graphics.DrawImage(picture, to_rect(box));
    graphics.Flush(Gdiplus::FlushIntentionSync);
    return;
  }
  RECT text_box = box;
  HGDIOBJ previous = SelectObject(dc, state.close_font ? state.close_font.get() : state.text_font.get());
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, L"\u00d7", 1, &text_box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, previous);
}

// GDI drawing leaves alpha 0 behind: what it drew in colour becomes opaque.
void make_gdi_pixels_opaque(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if ((pixels[i] & 0xFF000000u) == 0 && (pixels[i] & 0x00FFFFFFu) != 0) pixels[i] |= 0xFF000000u;
}

}  // namespace

std::unique_ptr<Gdiplus::Bitmap> prerender_notification_background(Gdiplus::Image& background, int width,
                                                                   int height) {
  auto prepared = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
  if (prepared->GetLastStatus() != Gdiplus::Ok) return nullptr;
  {
    Gdiplus::Graphics graphics(prepared.get());
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQuality);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
    graphics.DrawImage(&background, 0, 0, width, height);
  }
  return prepared;
}

void render_notification(NotificationState& state) {
  if (!state.window) return;
  state.layout = layout_notification(state.metrics);
  const NotificationMetrics& m = state.metrics;
  LayeredSurface surface(m.width, m.height);
  if (!surface.ready()) return;
  {
    std::unique_ptr<Gdiplus::Bitmap> canvas = surface.wrap();
    Gdiplus::Graphics graphics(canvas.get());
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    draw_background(graphics, state);
    graphics.Flush(Gdiplus::FlushIntentionSync);
    const RECT& icon = state.layout.icon;
    if (state.icon.get())
      DrawIconEx(surface.dc(), icon.left, icon.top, state.icon.get(), icon.right - icon.left,
                 icon.bottom - icon.top, 0, nullptr, DI_NORMAL);
    draw_message(surface.dc(), state);
    draw_button(graphics, surface.dc(), state);
    draw_close_box(graphics, surface.dc(), state);
  }
  GdiFlush();
  make_gdi_pixels_opaque(surface.pixels(), static_cast<size_t>(m.width) * static_cast<size_t>(m.height));

  RECT frame;
  GetWindowRect(state.window, &frame);
  POINT position = {frame.left, frame.top};
  SIZE size = {m.width, m.height};
  POINT origin = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  HDC screen = GetDC(nullptr);
  UpdateLayeredWindow(state.window, screen, &position, &size, surface.dc(), &origin, 0, &blend, ULW_ALPHA);
  ReleaseDC(nullptr, screen);
}
