#include "updater_paint.h"

#include "paint_helpers.h"

#include "core/debug_log.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kErrorFill = RGB(234, 89, 88);
constexpr COLORREF kErrorText = RGB(244, 76, 76);
constexpr COLORREF kBarBorder = RGB(23, 23, 23);

Gdiplus::Color gdiplus_color(COLORREF colour) {
  return Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// The main window's background at its client size, made when missing or stale.
HBITMAP background_bitmap(UpdaterState& state) {
  Gdiplus::Image* image = image_of(state.images.background);
  if (!image || !state.main_window) return nullptr;
  RECT client;
  GetClientRect(state.main_window, &client);
  if (!state.background_bitmap || state.background_bitmap_width != client.right ||
      state.background_bitmap_height != client.bottom) {
    HDC window_dc = GetDC(state.main_window);
    state.background_bitmap.reset(create_scaled_background(window_dc, *image, client.right, client.bottom,
                                                           Gdiplus::InterpolationModeHighQualityBicubic));
    ReleaseDC(state.main_window, window_dc);
    state.background_bitmap_width = client.right;
    state.background_bitmap_height = client.bottom;
  }
  return state.background_bitmap.get();
}

// A memory bitmap the size of a window, copied to it when the object goes.
class BufferedPaint {
public:
  BufferedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {
    GetClientRect(window, &client_);
    memory_dc_ = CreateCompatibleDC(dc_);
    bitmap_ = CreateCompatibleBitmap(dc_, client_.right, client_.bottom);
    previous_ = SelectObject(memory_dc_, bitmap_);
  }
  ~BufferedPaint() {
    BitBlt(dc_, 0, 0, client_.right, client_.bottom, memory_dc_, 0, 0, SRCCOPY);
    SelectObject(memory_dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(memory_dc_);
    EndPaint(window_, &paint_);
  }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;

  HDC dc() const { return memory_dc_; }
  const RECT& client() const { return client_; }

private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC dc_;
  RECT client_;
  HDC memory_dc_;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

// The part of the main window's background behind a child, or black.
void copy_background_behind(HWND child, HDC target, const RECT& client, UpdaterState& state) {
  FillRect(target, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HBITMAP bitmap = background_bitmap(state);
  if (!bitmap) return;
  POINT origin = {0, 0};
  MapWindowPoints(child, state.main_window, &origin, 1);
  HDC source = CreateCompatibleDC(target);
  HGDIOBJ previous = SelectObject(source, bitmap);
  BitBlt(target, 0, 0, client.right, client.bottom, source, origin.x, origin.y, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
}

void draw_text(HDC dc, HFONT font, COLORREF colour, const std::wstring& text, RECT box, UINT format) {
  HGDIOBJ previous = SelectObject(dc, font);
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, previous);
}

void add_rounded_rectangle(Gdiplus::GraphicsPath& path, const BarShape& shape) {
  if (shape.radius <= 0) {
    path.AddRectangle(Gdiplus::RectF(shape.x, shape.y, shape.width, shape.height));
    return;
  }
  float d = 2 * shape.radius;
  float right = shape.x + shape.width - d;
  float bottom = shape.y + shape.height - d;
  path.AddArc(shape.x, shape.y, d, d, 180, 90);
  path.AddArc(right, shape.y, d, d, 270, 90);
  path.AddArc(right, bottom, d, d, 0, 90);
  path.AddArc(shape.x, bottom, d, d, 90, 90);
  path.CloseFigure();
}

void ensure_fonts(UpdaterState& state) {
  ProgressWindows& windows = state.progress_windows;
  if (!windows.title_font) windows.title_font.reset(create_ui_font(scale_to_dpi(20, state.dpi)));
  if (!windows.text_font) windows.text_font.reset(create_ui_font(scale_to_dpi(18, state.dpi)));
}

}  // namespace

void draw_progress_bar(HDC dc, const RECT& bar, const ProgressState& progress, const UpdaterSkin& skin) {
  BarShape shape = compute_bar_shape(bar.left, bar.top, bar.right, bar.bottom, progress.percent);
  Gdiplus::Graphics graphics(dc);
  graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  Gdiplus::GraphicsPath outline;
  add_rounded_rectangle(outline, shape);

  Gdiplus::SolidBrush track(gdiplus_color(skin.progress_bottom));
  graphics.FillPath(&track, &outline);
  if (shape.fill_width > 0) {
    COLORREF fill = progress.state == kProgressStateError ? kErrorFill : skin.progress_top;
    Gdiplus::SolidBrush brush(gdiplus_color(fill));
    graphics.SetClip(&outline);
    graphics.FillRectangle(&brush, shape.x, shape.y, shape.fill_width, shape.height);
    graphics.ResetClip();
  }
  Gdiplus::Pen border(gdiplus_color(kBarBorder), kBarBorderWidth);
  graphics.DrawPath(&border, &outline);
}

void paint_updater_background(HWND window, UpdaterState& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (HBITMAP bitmap = background_bitmap(state)) {
    HDC memory_dc = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory_dc, bitmap);
    BitBlt(dc, 0, 0, state.background_bitmap_width, state.background_bitmap_height, memory_dc, 0, 0, SRCCOPY);
    SelectObject(memory_dc, previous);
    DeleteDC(memory_dc);
  }
  EndPaint(window, &paint);
}

void paint_bottom_panel(HWND panel, UpdaterState& state) {
  BufferedPaint paint(panel);
  copy_background_behind(panel, paint.dc(), paint.client(), state);
}

void paint_progress_area(HWND area, UpdaterState& state) {
  ensure_fonts(state);
  BufferedPaint paint(area);
  copy_background_behind(area, paint.dc(), paint.client(), state);
  const ProgressState& progress = state.progress;
  ProgressAreaGeometry g = compute_progress_area_geometry(paint.client().right, state.dpi);
  ProgressWindows& windows = state.progress_windows;
  draw_text(paint.dc(), windows.title_font.get(), kWhite, progress.title, g.title, DT_LEFT | DT_BOTTOM);
  draw_progress_bar(paint.dc(), g.bar, progress, state.skin);
  COLORREF left_colour = progress.state == kProgressStateError ? kErrorText : kWhite;
  draw_text(paint.dc(), windows.text_font.get(), left_colour, progress.left_text, g.left_text, DT_LEFT | DT_TOP);
  draw_text(paint.dc(), windows.text_font.get(), kWhite, progress.right_text, g.right_text, DT_RIGHT | DT_TOP);
}

void draw_window_button(const DRAWITEMSTRUCT& item, UpdaterState& state) {
  // Without the background the buttons stay undrawn.
  Gdiplus::Image* background = image_of(state.images.background);
  if (!background) return;
  int width = item.rcItem.right - item.rcItem.left;
  int height = item.rcItem.bottom - item.rcItem.top;
  Gdiplus::Graphics graphics(item.hDC);
  draw_background_behind(graphics, *background, item.hwndItem, state.main_window, width, height);
  bool close = item.CtlID == static_cast<UINT>(kCloseButtonControl);
  bool hover = close ? state.progress.close_hover : state.progress.minimise_hover;
  Gdiplus::Image* picture = image_of(close ? state.images.close : state.images.minimise);
  Gdiplus::Image* hover_picture = image_of(close ? state.images.close_hover : state.images.minimise_hover);
  if (hover && hover_picture) picture = hover_picture;
  if (picture) graphics.DrawImage(picture, 0, 0, width, height);
}

void draw_action_button(const DRAWITEMSTRUCT& item, UpdaterState& state) {
  vemo_debug_printf("UpdaterProgressWndProc WM_DRAWITEM Button_Bottom_Tag\n");
  ensure_fonts(state);
  const RECT& box = item.rcItem;
  const ProgressState& progress = state.progress;
  if (Gdiplus::Image* picture = image_of(state.images.button)) {
    Gdiplus::Image* hover_picture = image_of(state.images.button_hover);
    if (progress.action_hover && hover_picture) picture = hover_picture;
    Gdiplus::Graphics graphics(item.hDC);
    graphics.DrawImage(picture, static_cast<INT>(box.left), static_cast<INT>(box.top),
                       static_cast<INT>(box.right - box.left), static_cast<INT>(box.bottom - box.top));
  } else {
    vemo::UniqueGdiObject<HBRUSH> fill, border;
    fill.reset(CreateSolidBrush(state.skin.button_background));
    border.reset(CreateSolidBrush(state.skin.button_border));
    FillRect(item.hDC, &box, fill.get());
    FrameRect(item.hDC, &box, border.get());
  }
  COLORREF text = progress.action_hover ? state.skin.button_text_hover : state.skin.button_text;
  draw_text(item.hDC, state.progress_windows.text_font.get(), text, progress.button_text, box,
            DT_CENTER | DT_VCENTER);
}

void release_updater_paint(UpdaterState& state) {
  state.background_bitmap.reset();
  state.background_bitmap_width = state.background_bitmap_height = 0;
  state.progress_windows.title_font.reset();
  state.progress_windows.text_font.reset();
}
