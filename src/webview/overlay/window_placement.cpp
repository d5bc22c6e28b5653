#include "webview/overlay/window_placement.h"

namespace VemoSDK {
namespace {

BOOL CALLBACK pickMainWindow(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || GetWindow(window, GW_OWNER) || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

RECT centreRect(HWND window, int minimumWidth, int minimumHeight) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  if (width < minimumWidth) {
    int grow = minimumWidth - width;
    rect.left -= grow / 2;
    rect.right = rect.left + minimumWidth;
  }
  if (height < minimumHeight) {
    int grow = minimumHeight - height;
    rect.top -= grow / 2;
    rect.bottom = rect.top + minimumHeight;
  }
  return rect;
}

HWND findMainWindow() {
  HWND found = nullptr;
  EnumWindows(pickMainWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void activateWindow(HWND toEnable, HWND toShow, bool flag) {
  (void)flag;  // callers pass it; both windows decide alone
  if (!toEnable || !toShow) return;
  EnableWindow(toEnable, TRUE);
  ShowWindow(toShow, SW_SHOWNORMAL);
  SetForegroundWindow(toShow);
  UpdateWindow(toShow);
}

}  // namespace VemoSDK
