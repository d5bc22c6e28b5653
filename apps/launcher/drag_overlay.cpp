#include "drag_overlay.h"

#include "core/owners.h"

namespace {

constexpr wchar_t kOverlayClass[] = L"DragOverlayWindowClass";
constexpr COLORREF kOverlayColor = RGB(100, 100, 100);

LRESULT CALLBACK dragOverlayWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      vemo::UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(kOverlayColor));
      FillRect(dc, &client, brush.get());
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      HWND main_window = launcher_state().main_window;
      ReleaseCapture();
      SetForegroundWindow(main_window);
      PostMessageW(main_window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

bool register_overlay_class(HINSTANCE instance) {
  static HBRUSH background = CreateSolidBrush(kOverlayColor);
  WNDCLASSEXW wc = {sizeof(wc)};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = dragOverlayWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = kOverlayClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND create_drag_overlay(const LauncherState& state) {
  if (!register_overlay_class(state.instance)) return nullptr;
  RECT frame;
  GetWindowRect(state.main_window, &frame);
  HWND overlay = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kOverlayClass,
                                 L"", WS_POPUP, frame.left, frame.top,
                                 frame.right - frame.left - state.layout.overlay_gap, state.layout.overlay_height,
                                 nullptr, nullptr, state.instance, nullptr);
  if (!overlay) return nullptr;
  SetLayeredWindowAttributes(overlay, 0, 1, LWA_ALPHA);
  ShowWindow(overlay, SW_SHOW);
  UpdateWindow(overlay);
  return overlay;
}

void sync_overlay_position(const LauncherState& state) {
  if (!state.drag_overlay || !state.main_window) return;
  RECT frame;
  GetWindowRect(state.main_window, &frame);
  SetWindowPos(state.drag_overlay, nullptr, frame.left, frame.top, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOZORDER);
}
