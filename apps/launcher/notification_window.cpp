#include "notification_window.h"

#include "dpi.h"
#include "notification_state.h"
#include "paint_helpers.h"

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "lua/lua_host.h"

#include <windowsx.h>

#include <cstring>
#include <string>

namespace {

// The clicks' chunks get their texts as arguments, so a language text such
// as "en'); os.exit(1) --" stays a text.
constexpr char kClickReportChunk[] =
    "local action = ...\n"
    "local LT = require 'vemosdk_windows_launcher.launcher_tools' \n"
    "LT.jf_report('sdk.pf_comm', 0, 1, { biz_prod = 'launcher', biz_mod = 'launcher_btn', "
    "biz_func ='sdk.launcher.notification', biz_act = action})";
constexpr char kLaunchGameChunk[] =
    "local language = ...\n"
    "local LT = require 'vemosdk_windows_launcher.launcher_tools' \n"
    "LT.launch_game({language = language})";

void report_click(lua_State* L, const char* action) {
  if (!L) return;
  run_lua_chunk_with_texts(L, kClickReportChunk, std::strlen(kClickReportChunk), "notification_click_report",
                           {action});
}

void launch_game(lua_State* L, const std::string& language) {
  if (!L) return;
  run_lua_chunk_with_texts(L, kLaunchGameChunk, std::strlen(kLaunchGameChunk), "notification_launcher_game",
                           {language});
}

HFONT create_close_font(int height) {
  return CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
}

void load_pictures(NotificationPictures& pictures, const std::wstring& dir) {
  auto first_of = [&dir](const wchar_t* preferred, const wchar_t* fallback) {
    std::unique_ptr<SkinImage> image = SkinImage::load(dir + preferred);
    if (!image && fallback) image = SkinImage::load(dir + fallback);
    return image;
  };
  pictures.close = first_of(L"notification_close.png", L"close_btn.png");
  pictures.close_hover = first_of(L"notification_close_hover.png", L"close_btn_hover.png");
  pictures.button = first_of(L"notification_button.png", nullptr);
  pictures.button_hover = first_of(L"notification_button_hover.png", nullptr);
  pictures.background = first_of(L"notification_bg.png", nullptr);
  pictures.background_bitmap.reset();
}

void load_icon_once(NotificationState& state) {
  if (state.icon.get()) return;
  int size = state.metrics.icon_size;
  if (HANDLE own = LoadImageW(state.instance, MAKEINTRESOURCEW(101), IMAGE_ICON, size, size, 0))
    state.icon.reset(static_cast<HICON>(own), true);
  else
    state.icon.reset(LoadIconW(nullptr, IDI_APPLICATION), false);
}

bool point_in(const RECT& rect, LPARAM lparam) {
  POINT point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  return PtInRect(&rect, point) != FALSE;
}

void on_mouse_move(NotificationState& state, HWND window, LPARAM lparam) {
  bool close_hover = point_in(state.layout.close, lparam);
  bool button_hover = point_in(state.layout.button, lparam);
  if (!state.tracking_mouse) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
    state.tracking_mouse = TrackMouseEvent(&track) != FALSE;
  }
  if (close_hover == state.close_hover && button_hover == state.button_hover) return;
  state.close_hover = close_hover;
  state.button_hover = button_hover;
  render_notification(state);
}

// The window goes before a chunk runs: the scripts may open a new one.
void on_left_button(NotificationState& state, HWND window, LPARAM lparam) {
  lua_State* L = state.lua;
  if (point_in(state.layout.close, lparam)) {
    DestroyWindow(window);
    report_click(L, "close");
  } else if (point_in(state.layout.button, lparam)) {
    std::string language = wstring_to_utf8(state.language);
    DestroyWindow(window);
    report_click(L, "click_gamestart");
    launch_game(L, language);
  } else {
    ReleaseCapture();
    PostMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  }
}

void forget_window_resources(NotificationState& state) {
  state.text_font.reset();
  state.close_font.reset();
  state.icon.reset();
  state.pictures = NotificationPictures();
  state.close_hover = state.button_hover = state.tracking_mouse = false;
  state.layout = {};
  state.window = nullptr;
}

LRESULT CALLBACK notification_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  NotificationState& state = notification_state();
  switch (message) {
    case WM_CREATE:
      state.layout = layout_notification(state.metrics);
      return 0;
    case WM_MOUSEMOVE:
      on_mouse_move(state, window, lparam);
      return 0;
    case WM_MOUSELEAVE:
      state.tracking_mouse = false;
      if (state.close_hover || state.button_hover) {
        state.close_hover = state.button_hover = false;
        render_notification(state);
      }
      return 0;
    case WM_MOVE:
    case WM_SIZE:
      if (state.window == window) render_notification(state);
      return 0;
    case WM_LBUTTONDOWN:
      on_left_button(state, window, lparam);
      return 0;
    case WM_PAINT:
      ValidateRect(window, nullptr);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (state.window == window) forget_window_resources(state);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

bool register_class_once(NotificationState& state) {
  if (state.class_registered) return true;
  WNDCLASSEXW wc = {sizeof wc};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = notification_window_proc;
  wc.hInstance = state.instance;
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszClassName = kNotificationWindowClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  state.class_registered = true;
  return true;
}

RECT work_area() {
  RECT area;
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return area;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

NotificationState& notification_state() {
  static NotificationState state;
  return state;
}

HWND notification_window() { return notification_state().window; }

void create_notification_window(lua_State* L, HINSTANCE instance, const char* message, const char* button,
                                const char* language) {
  vemo_debug_printf("_create_notification_window called:  message=%s, button=%s, lang=%s\n", message, button,
                    language);
  NotificationState& state = notification_state();
  std::wstring dir = get_program_dir_w();
  load_notification_skin(dir, state.skin);
  if (!state.metrics_scaled) {
    state.metrics = scale_notification_metrics(read_system_dpi());
    state.metrics_scaled = true;
  }
  state.message = utf8_to_wstring(message);
  state.button = utf8_to_wstring(button);
  state.language = utf8_to_wstring(language);
  state.lua = L;
  state.instance = instance;
  start_gdiplus_once();
  load_pictures(state.pictures, dir);
  load_icon_once(state);
  if (state.window) return;  // it shows the new texts at its next drawing

  if (!register_class_once(state)) return;
  if (!state.text_font) state.text_font.reset(create_ui_font(state.metrics.font_height));
  if (!state.close_font) state.close_font.reset(create_close_font(state.metrics.font_height));
  POINT place = notification_position(work_area(), state.metrics);
  HWND window = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                                kNotificationWindowClass, kNotificationWindowTitle, WS_POPUP, place.x, place.y,
                                state.metrics.width, state.metrics.height, nullptr, nullptr, instance, nullptr);
  if (!window) {
    vemo_debug_printf("_create_notification_window: CreateWindowExW failed, err=%lu\n", GetLastError());
    return;
  }
  state.window = window;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  render_notification(state);
}

void destroy_notification_window() {
  NotificationState& state = notification_state();
  if (state.window) DestroyWindow(state.window);
  state.window = nullptr;
  state.class_registered = false;
}
