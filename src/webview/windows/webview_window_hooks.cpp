// Web view windows following their parent: its moves, resizes and restores
// (each window's WinEvent hook) and its clicks (the thread's mouse hook).
#include "webview/windows/vemo_webview_window.h"

#include "webview/windows/vemo_webview_close_view.h"
#include "webview/windows/webview_window_registry.h"

namespace VemoSDK {
namespace {

int rectWidth(const RECT& r) { return r.right - r.left; }
int rectHeight(const RECT& r) { return r.bottom - r.top; }
int scaled(int value, double factor) { return static_cast<int>(value * factor + 0.5); }

bool isShownNormallyOrMaximised(HWND window) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return false;
  return placement.showCmd == SW_SHOWNORMAL || placement.showCmd == SW_SHOWMAXIMIZED;
}

// The window a WinEvent hook belongs to, or null.
VemoWebViewWindow* ownerOfHook(HWINEVENTHOOK hook) {
  for (const auto& entry : webViewWindows().byParent) {
    for (VemoWebViewWindow* window : entry.second)
      if (window->hasWinEventHook(hook)) return window;
  }
  return nullptr;
}

}  // namespace

void VemoWebViewWindow::followParent(HWND changed) {
  RECT client = {};
  if (!GetClientRect(changed, &client)) return;
  if (changed == parentWnd) {
    // A minimised parent has no client area: nothing to scale from or to,
    // and the size before it stays the one to scale from.
    if (rectWidth(client) <= 0 || rectHeight(client) <= 0) return;
    int oldWidth = rectWidth(parentClientRect), oldHeight = rectHeight(parentClientRect);
    bool resized = oldWidth != rectWidth(client) || oldHeight != rectHeight(client);
    if (isAutoScaling() && resized && oldWidth > 0 && oldHeight > 0) {
      double sx = double(rectWidth(client)) / oldWidth, sy = double(rectHeight(client)) / oldHeight;
      setBounds(scaled(x, sx), scaled(y, sy), scaled(width, sx), scaled(height, sy));
    }
    parentClientRect = client;
  }
  RECT own = {};
  if (closeView && hwnd && GetClientRect(hwnd, &own)) {
    const RECT& button = closeView->rect();
    closeView->setRect(RECT{own.right - rectWidth(button), 0, own.right, rectHeight(button)});
  }
}

void CALLBACK VemoWebViewWindow::onWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG,
                                            DWORD, DWORD) {
  if (!window) return;
  if (event != EVENT_SYSTEM_MOVESIZEEND && event != EVENT_SYSTEM_MINIMIZEEND && event != EVENT_OBJECT_LOCATIONCHANGE)
    return;
  if (event == EVENT_OBJECT_LOCATIONCHANGE && (object != OBJID_WINDOW || !isShownNormallyOrMaximised(window))) return;
  // Every window has a hook of its own: each answers for itself only.
  VemoWebViewWindow* self = ownerOfHook(hook);
  if (!self) return;
  bool parentChanged = window == self->parentWnd && self->kind != kBrowserWindow;
  if (!parentChanged && (!self->hwnd || window != self->hwnd)) return;
  if (event == EVENT_SYSTEM_MINIMIZEEND) {
    if (self->hwnd) PostMessageW(self->hwnd, kRestoreMessage, SC_RESTORE, 0);
  } else {
    self->followParent(window);
  }
}

LRESULT CALLBACK VemoWebViewWindow::onMouse(int code, WPARAM wParam, LPARAM lParam) {
  const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && mouse) {
    if (wParam == WM_LBUTTONDOWN && !fromHandle(mouse->hwnd)) {
      // A copy: hiding may close windows and change the parent's list.
      for (VemoWebViewWindow* window : windowsOn(mouse->hwnd)) {
        if (isWindowAlive(window) && window->kind == kLuaFloater && window->isHideOnOutsideClick()) window->hide();
      }
    } else if (wParam == WM_LBUTTONUP) {
      for (HWND clicked = mouse->hwnd; clicked; clicked = GetParent(clicked)) {
        if (!webViewWindows().byParent.count(clicked)) continue;
        for (VemoWebViewWindow* window : windowsOn(clicked)) {
          if (isWindowAlive(window) && window->kind == kLuaFloater) window->onParentClick(mouse->pt);
        }
        break;
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace VemoSDK
