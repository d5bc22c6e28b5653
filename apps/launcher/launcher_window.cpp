#include "launcher_window.h"

#include "drag_overlay.h"
#include "launcher_paint.h"
#include "launcher_state.h"
#include "tray_icon.h"

#include "core/debug_log.h"
#include "lua/lua_host.h"

#include <cstdio>

namespace {

void place_close_button(LauncherState& state) {
  RECT client;
  GetClientRect(state.main_window, &client);
  const LauncherLayout& layout = state.layout;
  MoveWindow(state.close_button, client.right - layout.close_margin - layout.close_width, layout.close_top,
             layout.close_width, layout.close_height, TRUE);
}

void set_overlay_topmost(const LauncherState& state, bool topmost) {
  if (!state.drag_overlay) return;
  SetWindowPos(state.drag_overlay, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT on_create(HWND window, LauncherState& state) {
  state.main_window_active = true;
  load_window_images(state);
  RECT client;
  GetClientRect(window, &client);
  const LauncherLayout& layout = state.layout;
  state.close_button = CreateWindowExW(
      0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, client.right - layout.close_margin - layout.close_width,
      layout.close_top, layout.close_width, layout.close_height, window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCloseButtonId)), state.instance, nullptr);
  return 0;
}

void on_destroy(LauncherState& state) {
  RemoveTrayIcon();
  if (state.drag_overlay) {
    DestroyWindow(state.drag_overlay);
    state.drag_overlay = nullptr;
  }
  release_window_images(state);
  if (state.lua) release_tick_function(state.lua);
  KillTimer(state.main_window, kTickTimerId);
  PostQuitMessage(0);
}

void on_tick_timer(LauncherState& state) {
  if (state.tick_throttle.should_tick(GetTickCount(), state.in_move)) call_tick_function(state.lua);
}

}  // namespace

bool register_launcher_class(HINSTANCE instance) {
  return register_program_window_class(instance, kLauncherWindowClass, mainWndProc);
}

HWND create_main_window(HINSTANCE instance, const wchar_t* title) {
  int x = (GetSystemMetrics(SM_CXFULLSCREEN) - 1) / 2;
  int y = (GetSystemMetrics(SM_CYFULLSCREEN) - 1) / 2;
  return CreateWindowExW(0, kLauncherWindowClass, title,
                         WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 1, 1, nullptr,
                         nullptr, instance, nullptr);
}

int createLauncherWindow() {
  LauncherState& state = launcher_state();
  if (!state.main_window) {
    vemo_debug_printf("createLauncherWindow: g_hWnd is NULL, abort.\n");
    return -1;
  }
  const LauncherLayout& layout = state.layout;
  int x = (GetSystemMetrics(SM_CXFULLSCREEN) - layout.window_width) / 2;
  int y = (GetSystemMetrics(SM_CYFULLSCREEN) - layout.window_height) / 2;
  MoveWindow(state.main_window, x, y, layout.window_width, layout.window_height, TRUE);
  place_close_button(state);

  if (state.drag_overlay) {
    ShowWindow(state.main_window, SW_RESTORE);
    SetForegroundWindow(state.main_window);
    RECT frame;
    GetWindowRect(state.main_window, &frame);
    MoveWindow(state.drag_overlay, frame.left, frame.top, frame.right - layout.overlay_gap - frame.left,
               layout.overlay_height, TRUE);
    ShowWindow(state.drag_overlay, SW_SHOW);
    return 0;
  }
  state.drag_overlay = create_drag_overlay(state);
  return 0;
}

void handleCloseAction() {
  LauncherState& state = launcher_state();
  if (state.close_action == CloseAction::kExit) {
    DestroyWindow(state.main_window);
    return;
  }
  ShowWindow(state.main_window, SW_HIDE);
  if (state.drag_overlay) ShowWindow(state.drag_overlay, SW_HIDE);
}

void showMainWindow() {
  LauncherState& state = launcher_state();
  ShowWindow(state.main_window, SW_RESTORE);
  ShowWindow(state.main_window, SW_SHOW);
  SetForegroundWindow(state.main_window);
  if (state.drag_overlay) ShowWindow(state.drag_overlay, SW_SHOW);
}

void syncOverlayPosition() { sync_overlay_position(launcher_state()); }

LRESULT CALLBACK mainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LauncherState& state = launcher_state();
  if (state.taskbar_created_message && message == state.taskbar_created_message) {
    vemo_debug_printf("mainWndProc: TaskbarCreated received, recreate tray icon\n");
    launcher_tray().on_taskbar_created(window);
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      state.main_window = window;
      return on_create(window, state);
    case WM_DESTROY:
      on_destroy(state);
      return 0;
    case WM_MOVE:
      if (!state.in_move && state.main_window_active) syncOverlayPosition();
      return 0;
    case WM_ACTIVATE:
      state.main_window_active = LOWORD(wparam) != WA_INACTIVE;
      set_overlay_topmost(state, state.main_window_active);
      return 0;
    case WM_SIZE:
      return 0;
    case WM_PAINT:
      paint_main_window(window, state);
      return 0;
    case WM_CLOSE:
      handleCloseAction();
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != static_cast<UINT>(kCloseButtonId)) return 0;
      drawCloseButton(*item, state);
      return 1;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kCloseButtonId:
          std::printf("点击关闭按钮事件----\n");
          handleCloseAction();
          break;
        case kTrayMenuShow:
          showMainWindow();
          break;
        case kTrayMenuExit:
          if (IsWindow(window)) DestroyWindow(window);
          break;
      }
      return 0;
    case WM_TIMER:
      if (wparam != kTickTimerId) return DefWindowProcW(window, message, wparam, lparam);
      on_tick_timer(state);
      return 0;
    case WM_ENTERSIZEMOVE:
      state.in_move = true;
      if (state.drag_overlay) ShowWindow(state.drag_overlay, SW_HIDE);
      return 0;
    case WM_EXITSIZEMOVE:
      state.in_move = false;
      if (state.drag_overlay) {
        syncOverlayPosition();
        ShowWindow(state.drag_overlay, SW_SHOWNOACTIVATE);
      }
      return 0;
    case kTrayCallbackMessage:
      switch (LOWORD(lparam)) {
        case WM_CONTEXTMENU:
        case WM_RBUTTONUP:
          showTrayMenu(window);
          break;
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
          showMainWindow();
          break;
      }
      return 0;
    case WM_APP_SHUTDOWN:
      vemo_debug_printf("mainWndProc: WM_APP_SHUTDOWN received, DestroyWindow\n");
      DestroyWindow(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}
