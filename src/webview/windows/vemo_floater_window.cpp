// The floater's window and its drag area: creation, the one procedure both
// share, the drag gesture and the click that a press without a drag hands
// on to the page beneath the drag area.
#include "webview/windows/vemo_floater.h"
#include "webview/windows/window_class.h"

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/win_utils.h"

#include <windowsx.h>

#include <map>

namespace VemoSDK {
namespace {

constexpr const wchar_t* kFloaterClass = L"VemoSdkFloaterWebView";
// A visible child; the two further bits are those floaters have always had.
constexpr DWORD kFloaterStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | 0x8;

// Floater windows and drag areas -> their floater (UI thread).
std::map<HWND, VemoFloater*>& floaterHandles() {
  static std::map<HWND, VemoFloater*> map;
  return map;
}

// The static control's own procedure, which a drag area falls back to.
WNDPROC& staticProcedure() {
  static WNDPROC procedure = nullptr;
  return procedure;
}

POINT pointOf(LPARAM lparam) { return POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}; }

}  // namespace

VemoFloater* VemoFloater::fromWindow(HWND window) {
  auto found = floaterHandles().find(window);
  return found == floaterHandles().end() ? nullptr : found->second;
}

void VemoFloater::forgetWindow(HWND window) { floaterHandles().erase(window); }

HWND VemoFloater::createWindow() {
  if (!registerWebViewWindowClass(kFloaterClass, &VemoFloater::windowProc, nullptr, true)) return nullptr;
  DWORD extendedStyle = WS_EX_APPWINDOW;
  if (!is_windows7()) extendedStyle |= WS_EX_COMPOSITED | WS_EX_TRANSPARENT;
  HWND window = CreateWindowExW(extendedStyle, kFloaterClass, L"", kFloaterStyle, x, y, width, height, parentWnd,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    vemo_debug_printf("floater window not created, code: %lu\n", GetLastError());
    return nullptr;
  }
  floaterHandles()[window] = this;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  createDragArea(window);
  for (HWND child = GetWindow(parentWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    PostMessageW(child, kFloaterCreatedMessage, reinterpret_cast<WPARAM>(window), 0);
  return window;
}

void VemoFloater::createDragArea(HWND window) {
  dragCover_ = CreateWindowExW(WS_EX_TRANSPARENT, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!dragCover_) return;
  WNDPROC own = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(dragCover_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&VemoFloater::windowProc)));
  if (!staticProcedure()) staticProcedure() = own;
  floaterHandles()[dragCover_] = this;
  if (debuggable_) vemo_debug_print("addCover its debuggable, cover tint via WM_CTLCOLORSTATIC only");
  layDragArea();
}

void VemoFloater::layDragArea() {
  if (!dragCover_) return;
  RECT area = dragAreaRect(width, height, dragPadding_);
  // On top of its siblings: the page's window is made later, above it.
  SetWindowPos(dragCover_, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);
  RedrawWindow(dragCover_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void VemoFloater::destroyDragArea(HWND cover) {
  if (!cover) return;
  floaterHandles().erase(cover);
  // The control's own procedure sees its end, as it saw its start.
  if (staticProcedure()) SetWindowLongPtrW(cover, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(staticProcedure()));
  DestroyWindow(cover);
}

LRESULT CALLBACK VemoFloater::windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  VemoFloater* floater = fromWindow(window);
  if (!floater) return DefWindowProcW(window, message, wparam, lparam);
  return floater->handleMessage(window, message, wparam, lparam);
}

LRESULT VemoFloater::passOn(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (window == dragCover_ && staticProcedure())
    return CallWindowProcW(staticProcedure(), window, message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT VemoFloater::handleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_NCHITTEST:
    // A static control lets the mouse through; the drag area must take it.
    if (window == dragCover_) return HTCLIENT;
    break;
  case WM_LBUTTONDOWN:
    onButtonDown(window, lparam);
    return 0;
  case WM_MOUSEMOVE:
    onMouseMove(window, lparam);
    return 0;
  case WM_LBUTTONUP:
    onButtonUp(window, lparam);
    return 0;
  case WM_MOUSELEAVE:
  case WM_MOUSEHOVER:
  case WM_CAPTURECHANGED:
    endGesture();
    return 0;
  case WM_CTLCOLORSTATIC: {
    HDC dc = reinterpret_cast<HDC>(wparam);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  case WM_PAINT:
    if (window == dragCover_ && debuggable_) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      vemo::UniqueGdiObject<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
      FillRect(dc, &paint.rcPaint, red.get());
      EndPaint(window, &paint);
      return 0;
    }
    break;
  case WM_WINDOWPOSCHANGING:
  case WM_WINDOWPOSCHANGED:
    if (window == hwnd && loading_) {
      RECT area = {};
      GetWindowRect(window, &area);
      loading_->moveTo(area.left, area.top, area.right, area.bottom);
    }
    break;
  case WM_DESTROY:
    if (window == hwnd) close();
    break;
  case kFloaterCreatedMessage:
    if (window == hwnd) {
      onFloaterCreated(reinterpret_cast<HWND>(wparam));
      return 1;
    }
    break;
  case kRestoreMessage:
    if (window == hwnd && wparam == SC_RESTORE && kind == kOpenerFloater) {
      SIZE board = parentClientSize();
      setBounds(0, 0, board.cx, board.cy);
    }
    return 0;
  default:
    break;
  }
  return passOn(window, message, wparam, lparam);
}

void VemoFloater::onFloaterCreated(HWND other) {
  if (other == hwnd) return;
  if (kind == kOpenerFloater) {
    VemoFloater* top = fromWindow(GetWindow(parentWnd, GW_CHILD));
    if (top && top != this && top->kind != kOpenerFloater)
      SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else if (kind == kLuaFloater) {
    setCloseButtonVisible(false);
  }
}

POINT VemoFloater::toParentClient(HWND window, LPARAM lparam) const {
  POINT point = pointOf(lparam);
  MapWindowPoints(window, parentWnd, &point, 1);
  return point;
}

void VemoFloater::onButtonDown(HWND window, LPARAM lparam) {
  if (window != dragCover_) return;
  POINT inFloater = pointOf(lparam);
  MapWindowPoints(window, hwnd, &inFloater, 1);
  if (inFloater.x < 0 || inFloater.y < 0 || inFloater.x > width || inFloater.y > height) return;
  SetCapture(window);  // first: taking it over from another window ends that one's gesture
  pressed_ = true;
  pendingThreshold_ = true;
  dragging_ = false;
  dragStart_ = pointOf(lparam);
  ClientToScreen(window, &dragStart_);
  lastPoint_ = toParentClient(window, lparam);
}

void VemoFloater::onMouseMove(HWND window, LPARAM lparam) {
  if (!draggable_ || !pressed_) return;
  POINT cursor = toParentClient(window, lparam);
  if (!dragging_) {
    if (!boxContains(box(), cursor)) return;
    POINT screen = cursor;
    ClientToScreen(parentWnd, &screen);
    if (pendingThreshold_ && !passesDragThreshold(dragStart_, screen)) return;
    // The floater catches up with the whole way the cursor went since the press.
    pendingThreshold_ = false;
    dragging_ = true;
  }
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = window;
  track.dwHoverTime = HOVER_DEFAULT;
  TrackMouseEvent(&track);
  int dx = cursor.x - lastPoint_.x;
  int dy = cursor.y - lastPoint_.y;
  lastPoint_ = cursor;
  setBounds(x + dx, y + dy, width, height);
}

void VemoFloater::onButtonUp(HWND window, LPARAM lparam) {
  if (!pressed_) {
    endGesture();
    return;
  }
  bool clicked = !dragging_;
  POINT pressed = dragStart_;
  POINT released = pointOf(lparam);
  ClientToScreen(window, &released);
  bool onDragArea = window == dragCover_;
  endGesture();
  if (!clicked) return;
  postFloaterEvent(kFloaterClicked, false);
  if (onDragArea) forwardClick(pressed, released);
}

void VemoFloater::endGesture() {
  bool dropped = dragging_;
  pressed_ = dragging_ = pendingThreshold_ = false;
  HWND captured = GetCapture();
  if (captured && (captured == dragCover_ || captured == hwnd)) ReleaseCapture();
  if (dropped && protectedBoard_) {
    SIZE board = parentClientSize();
    FloaterBox settled = settleInsideBoard(box(), board.cx, board.cy);
    setBounds(settled.x, settled.y, settled.width, settled.height);
  }
}

void VemoFloater::forwardClick(POINT pressed, POINT released) {
  if (!dragCover_) return;
  LockWindowUpdate(parentWnd);
  ShowWindow(dragCover_, SW_HIDE);
  HWND target = WindowFromPoint(pressed);
  SetWindowPos(dragCover_, nullptr, 0, 0, 0, 0,
               SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  LockWindowUpdate(nullptr);
  if (!target || (target != hwnd && !IsChild(hwnd, target))) return;
  POINT down = pressed;
  POINT up = released;
  ScreenToClient(target, &down);
  ScreenToClient(target, &up);
  SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
  SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
}

}  // namespace VemoSDK
