#include "updater_window.h"

#include "main_thread_queue.h"
#include "paint_helpers.h"
#include "process_launch.h"
#include "program_window.h"
#include "progress_window.h"
#include "updater_paint.h"
#include "updater_state.h"

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "lua/lua_host.h"

#include <cstdio>

namespace {

HWND create_window_button(HWND window, int id, const RECT& box, HINSTANCE instance) {
  HWND button = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, box.left, box.top,
                                box.right - box.left, box.bottom - box.top, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  subclass_hover_button(button);
  return button;
}

LRESULT on_create(HWND window, UpdaterState& state) {
  state.main_window = window;
  state.images.load(get_program_dir_w());
  RECT client;
  GetClientRect(window, &client);
  UpdaterGeometry g = compute_updater_geometry(state.layout, state.dpi, client.right, SIZE{0, 0});
  state.close_button = create_window_button(window, kCloseButtonControl, g.close_button, state.instance);
  state.minimise_button = create_window_button(window, kMinimiseButtonControl, g.minimise_button, state.instance);
  return 0;
}

void on_destroy(HWND window, UpdaterState& state) {
  main_thread_queue().set_window(nullptr);
  if (state.lua) release_tick_function(state.lua);
  KillTimer(window, kTickTimerId);
  KillTimer(window, kFrontRetryTimerId);
  state.images.release();
  release_updater_paint(state);
  stop_gdiplus();
  PostQuitMessage(0);
}

// Everything above the bottom panel, children included, at once.
void repaint_above_panel(HWND window, const UpdaterState& state) {
  RECT client;
  GetClientRect(window, &client);
  client.bottom -= state.layout.panel_height;
  RedrawWindow(window, &client, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void on_front_retry(HWND window, UpdaterState& state) {
  bool done = GetForegroundWindow() == window || IsIconic(window) || force_front_window(window);
  --state.front_retries_left;
  if (state.front_retries_left <= 0 || done) {
    KillTimer(window, kFrontRetryTimerId);
    vemo_debug_printf("front retry stopped, done=%d, left=%d\n", done ? 1 : 0, state.front_retries_left);
  }
}

LRESULT on_command(HWND window, WPARAM wparam) {
  switch (LOWORD(wparam)) {
    case kCloseButtonControl:
      std::printf("点击关闭按钮事件，准备关闭窗口----\n");
      DestroyWindow(window);
      break;
    case kMinimiseButtonControl:
      std::printf("点击最小化按钮事件，准备最小化----\n");
      CloseWindow(window);
      break;
  }
  return 0;
}

}  // namespace

bool register_updater_class(HINSTANCE instance) {
  return register_program_window_class(instance, kUpdaterWindowClass, updaterWndProc);
}

HWND create_updater_window(HINSTANCE instance, const wchar_t* title) {
  const UpdaterLayout& layout = updater_state().layout;
  int x = (GetSystemMetrics(SM_CXFULLSCREEN) - layout.window_width) / 2;
  int y = (GetSystemMetrics(SM_CYFULLSCREEN) - layout.window_height) / 2;
  return CreateWindowExW(0, kUpdaterWindowClass, title,
                         WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                         layout.window_width, layout.window_height, nullptr, nullptr, instance, nullptr);
}

void start_front_retry(HWND window) {
  updater_state().front_retries_left = kFrontRetryCount;
  SetTimer(window, kFrontRetryTimerId, kFrontRetryPeriodMs, nullptr);
}

bool force_front_window(HWND window) {
  if (!window || !IsWindow(window)) return false;
  HWND foreground = GetForegroundWindow();
  DWORD foreground_pid = 0;
  GetWindowThreadProcessId(foreground, &foreground_pid);
  wchar_t foreground_class[64] = {};
  if (foreground) GetClassNameW(foreground, foreground_class, 64);
  // A trip through the topmost band lifts the window above the others
  // without keeping it there.
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, flags);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  bool activated = bring_window_to_front(window);
  // As UTF-8: "%ls" stops at the first character the C locale cannot show.
  vemo_debug_printf("force front: self=%p fg=%p fg_pid=%u fg_class=%s activated=%d\n", static_cast<void*>(window),
                    static_cast<void*>(foreground), static_cast<unsigned>(foreground_pid),
                    wstring_to_utf8(foreground_class).c_str(), activated ? 1 : 0);
  return activated;
}

LRESULT CALLBACK updaterWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  UpdaterState& state = updater_state();
  switch (message) {
    case kMainThreadWakeMessage:
      drain_main_thread_tasks();
      break;
    case WM_CREATE:
      return on_create(window, state);
    case WM_DESTROY:
      on_destroy(window, state);
      return 0;
    case WM_PAINT:
      paint_updater_background(window, state);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_ACTIVATEAPP:
      if (wparam) repaint_above_panel(window, state);
      break;
    case WM_WINDOWPOSCHANGED:
      if (!state.in_move) repaint_above_panel(window, state);
      break;
    case WM_NCHITTEST: {
      POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      ScreenToClient(window, &point);
      if (point.y < state.layout.caption_height) return HTCAPTION;
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != static_cast<UINT>(kCloseButtonControl) &&
          item->CtlID != static_cast<UINT>(kMinimiseButtonControl))
        break;
      draw_window_button(*item, state);
      return 1;
    }
    case WM_COMMAND:
      return on_command(window, wparam);
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) != state.progress_windows.version_label) break;
      return version_label_colours(reinterpret_cast<HDC>(wparam));
    case WM_TIMER:
      if (wparam == kTickTimerId) {
        if (state.tick_throttle.should_tick(GetTickCount(), state.in_move)) call_tick_function(state.lua);
        return 0;
      }
      if (wparam == kFrontRetryTimerId) {
        on_front_retry(window, state);
        return 0;
      }
      break;
    case WM_ENTERSIZEMOVE:
      state.in_move = true;
      return 0;
    case WM_EXITSIZEMOVE:
      state.in_move = false;
      if (state.progress_windows.area) RedrawWindow(state.progress_windows.area, nullptr, nullptr,
                                                    RDW_INVALIDATE | RDW_UPDATENOW);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
