#include "progress_window.h"

#include "updater_paint.h"
#include "updater_state.h"

#include "core/debug_log.h"
#include "core/text_convert.h"
#include "lua/lua_host.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr wchar_t kPanelClass[] = L"VemoSDKUpdaterBottomBackGround";
constexpr wchar_t kProgressAreaClass[] = L"UpdaterExeProgressUI";
constexpr char kActionButtonChunk[] =
    "local EWL = require 'vemosdk_windows_launcher.updater' \n EWL.actionButtonClick()";

bool* hover_flag_of(HWND button) {
  ProgressState& progress = updater_state().progress;
  switch (GetDlgCtrlID(button)) {
    case kCloseButtonControl:
      return &progress.close_hover;
    case kMinimiseButtonControl:
      return &progress.minimise_hover;
    case kActionButtonControl:
      return &progress.action_hover;
  }
  return nullptr;
}

LRESULT CALLBACK hoverButtonProc(HWND button, UINT message, WPARAM wparam, LPARAM lparam) {
  auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(button, GWLP_USERDATA));
  bool* hover = hover_flag_of(button);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (hover && !*hover) {
        *hover = true;
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, button, 0};
        TrackMouseEvent(&track);
        InvalidateRect(button, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      if (hover) *hover = false;
      InvalidateRect(button, nullptr, FALSE);
      break;
  }
  return CallWindowProcW(original, button, message, wparam, lparam);
}

LRESULT CALLBACK panelWndProc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      paint_bottom_panel(panel, updater_state());
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CTLCOLORSTATIC:
      return version_label_colours(reinterpret_cast<HDC>(wparam));
  }
  return DefWindowProcW(panel, message, wparam, lparam);
}

void on_action_button_click() {
  std::printf("点击取消/重试按钮事件\n");
  std::printf("\n actionButtonClickToUpdateLauncher \n\n");
  UpdaterState& state = updater_state();
  if (state.lua) run_lua_chunk(state.lua, kActionButtonChunk, std::strlen(kActionButtonChunk), "button_click");
}

LRESULT CALLBACK UpdaterProgressWndProc(HWND area, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      paint_progress_area(area, updater_state());
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID != static_cast<UINT>(kActionButtonControl)) break;
      draw_action_button(*item, updater_state());
      return 1;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == kActionButtonControl && HIWORD(wparam) == BN_CLICKED) {
        on_action_button_click();
        return 0;
      }
      break;
  }
  return DefWindowProcW(area, message, wparam, lparam);
}

bool register_class(const wchar_t* name, WNDPROC procedure, HINSTANCE instance) {
  WNDCLASSEXW wc = {sizeof(wc)};
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = name;
  if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
  vemo_debug_printf("RegisterClassExW %ls failed, err=%lu", name, GetLastError());
  return false;
}

HWND create_child(DWORD ex_style, const wchar_t* class_name, const wchar_t* text, DWORD style, const RECT& box,
                  HWND parent, int id, HINSTANCE instance) {
  return CreateWindowExW(ex_style, class_name, text, WS_CHILD | style, box.left, box.top, box.right - box.left,
                         box.bottom - box.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                         nullptr);
}

}  // namespace

LRESULT version_label_colours(HDC dc) {
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void subclass_hover_button(HWND button) {
  if (!button) return;
  LONG_PTR original = GetWindowLongPtrW(button, GWLP_WNDPROC);
  SetWindowLongPtrW(button, GWLP_USERDATA, original);
  SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hoverButtonProc));
}

void createProgressWindow() {
  UpdaterState& state = updater_state();
  ProgressWindows& windows = state.progress_windows;
  if (windows.classes_tried || !state.main_window) return;
  windows.classes_tried = true;
  if (!register_class(kProgressAreaClass, UpdaterProgressWndProc, state.instance) ||
      !register_class(kPanelClass, panelWndProc, state.instance))
    return;

  SIZE picture = state.images.button ? state.images.button->size() : SIZE{0, 0};
  RECT client;
  GetClientRect(state.main_window, &client);
  UpdaterGeometry g = compute_updater_geometry(state.layout, state.dpi, client.right, picture);
  windows.panel = create_child(WS_EX_TRANSPARENT, kPanelClass, L"", WS_VISIBLE, g.panel, state.main_window, 0,
                               state.instance);
  if (!windows.panel) {
    vemo_debug_printf("g_bottom_background create failed");
    return;
  }
  windows.area = create_child(0, kProgressAreaClass, L"", WS_VISIBLE, g.progress_area, windows.panel, 0, state.instance);
  if (!windows.area) {
    vemo_debug_printf("g_progress_backgroud create failed");
    return;
  }
  windows.action_button = create_child(0, L"BUTTON", L"", BS_OWNERDRAW, g.action_button, windows.area,
                                       kActionButtonControl, state.instance);
  subclass_hover_button(windows.action_button);
  std::wstring version = L"Ver. " + utf8_to_wstring(kUpdaterVersion);
  windows.version_label = create_child(0, L"Static", version.c_str(), WS_VISIBLE | SS_RIGHT, g.version_label,
                                       windows.panel, 0, state.instance);
}

void update_download_progress(const char* json_text) {
  vemo_debug_printf("_download_progress called, optionString=%s\n", json_text ? json_text : "");
  createProgressWindow();
  UpdaterState& state = updater_state();
  ProgressUpdate update = apply_progress_options(state.progress, json_text);
  if (!update.parsed) return;
  ProgressWindows& windows = state.progress_windows;
  if (windows.action_button) {
    ShowWindow(windows.action_button, state.progress.button_visible ? SW_SHOW : SW_HIDE);
    if (update.button_text_changed && !state.in_move) InvalidateRect(windows.action_button, nullptr, FALSE);
  }
  if (windows.area) {
    InvalidateRect(windows.area, nullptr, FALSE);
    if (!state.in_move) UpdateWindow(windows.area);
  }
}
