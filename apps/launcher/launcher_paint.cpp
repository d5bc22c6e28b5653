#include "launcher_paint.h"

#include "core/path_utils.h"
#include "core/text_convert.h"

#include <cstdio>
#include <string>

namespace {

std::unique_ptr<Gdiplus::Image> load_image(const wchar_t* file_name) {
  std::wstring path = get_program_dir_w() + file_name;
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile(path.c_str()));
  if (image && image->GetLastStatus() != Gdiplus::Ok) image.reset();
  return image;
}

// The background scaled to the client size, rebuilt only when that size changes.
void update_background_bitmap(HDC window_dc, int width, int height, LauncherState& state) {
  if (state.background_bitmap && state.background_bitmap_width == width && state.background_bitmap_height == height)
    return;
  state.background_bitmap.reset(create_scaled_background(window_dc, *state.background_image, width, height,
                                                         Gdiplus::InterpolationModeDefault));
  state.background_bitmap_width = width;
  state.background_bitmap_height = height;
}

void draw_version_text(HDC dc, const RECT& client, LauncherState& state) {
  if (!state.version_font) {
    state.version_font.reset(create_ui_font(MulDiv(16, static_cast<int>(state.dpi), 96)));
  }
  int dpi = static_cast<int>(state.dpi);
  RECT box;
  box.right = client.right - MulDiv(10, dpi, 96);
  box.left = box.right - MulDiv(200, dpi, 96);
  box.bottom = client.bottom;
  box.top = box.bottom - MulDiv(20, dpi, 96);
  std::wstring text = L"Ver. " + utf8_to_wstring(kLauncherVersion);
  HGDIOBJ previous = SelectObject(dc, state.version_font.get());
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOCLIP);
  SelectObject(dc, previous);
}

}  // namespace

void load_window_images(LauncherState& state) {
  state.background_image = load_image(L"window_background.jpg");
  if (!state.background_image) {
    std::printf("\n无法加载背景图片!!!!\n");
    MessageBoxW(nullptr, L"can not load window_background.jpg", L"Error", MB_OK | MB_ICONERROR);
  }
  state.close_image = load_image(L"close_btn.png");
  if (!state.close_image) {
    std::printf("\n无法加载关闭按钮图片!!!!\n");
    MessageBoxW(nullptr, L"can not load close_btn.png", L"Error", MB_OK | MB_ICONERROR);
  }
}

void release_window_images(LauncherState& state) {
  state.background_image.reset();
  state.background_bitmap.reset();
  state.close_image.reset();
}

void paint_main_window(HWND window, LauncherState& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  if (state.background_image) {
    update_background_bitmap(dc, client.right, client.bottom, state);
    if (state.background_bitmap) {
      HDC memory_dc = CreateCompatibleDC(dc);
      HGDIOBJ previous = SelectObject(memory_dc, state.background_bitmap.get());
      BitBlt(dc, 0, 0, client.right, client.bottom, memory_dc, 0, 0, SRCCOPY);
      SelectObject(memory_dc, previous);
      DeleteDC(memory_dc);
    }
  }
  draw_version_text(dc, client, state);
  EndPaint(window, &paint);
}

void drawCloseButton(const DRAWITEMSTRUCT& item, LauncherState& state) {
  Gdiplus::Graphics graphics(item.hDC);
  const RECT& box = item.rcItem;
  int width = box.right - box.left;
  int height = box.bottom - box.top;
  if (state.background_image)
    draw_background_behind(graphics, *state.background_image, item.hwndItem, state.main_window, width, height);
  if (state.close_image) graphics.DrawImage(state.close_image.get(), 0, 0, width, height);
}
