#include "webview/windows/vemo_webview_close_view.h"
#include "webview/windows/window_class.h"

#include "core/debug_log.h"
#include "webview/windows/close_glyph.h"

#include <algorithm>
#include <map>

namespace VemoSDK {
namespace {

constexpr const wchar_t* kCloseViewClass = L"VemoWebviewCloseView";
constexpr BYTE kCloseViewAlpha = 179;

// Button window -> button (UI thread).
std::map<HWND, VemoWebViewCloseView*>& closeViews() {
  static std::map<HWND, VemoWebViewCloseView*> map;
  return map;
}

}  // namespace

VemoWebViewCloseView::VemoWebViewCloseView(HWND owner, const RECT& rect, std::function<void()> onClick)
    : owner_(owner), rect_(rect), onClick_(std::move(onClick)) {
  if (!registerWebViewWindowClass(kCloseViewClass, windowProc, IDC_ARROW, false)) {
    vemo_debug_print("wv===>close button class not registered");
    return;
  }
  glyph_.load(WindowImage::kBitmap, closeGlyphBmpBase64());
  hwnd_ = CreateWindowExW(WS_EX_LAYERED, kCloseViewClass, L"", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                          rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, owner, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return;
  closeViews()[hwnd_] = this;
  SetLayeredWindowAttributes(hwnd_, 0, kCloseViewAlpha, LWA_ALPHA);
}

VemoWebViewCloseView::~VemoWebViewCloseView() {
  if (!hwnd_) return;
  closeViews().erase(hwnd_);
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

VemoWebViewCloseView* VemoWebViewCloseView::fromHandle(HWND window) {
  auto found = closeViews().find(window);
  return found == closeViews().end() ? nullptr : found->second;
}

void VemoWebViewCloseView::setRect(const RECT& rect) {
  rect_ = rect;
  if (hwnd_ && visible_) place();
}

void VemoWebViewCloseView::place() {
  POINT corners[2] = {{rect_.left, rect_.top}, {rect_.right, rect_.bottom}};
  ClientToScreen(owner_, &corners[0]);
  ClientToScreen(owner_, &corners[1]);
  int width = corners[1].x - corners[0].x, height = corners[1].y - corners[0].y;
  MoveWindow(hwnd_, corners[0].x, corners[0].y, width, height, FALSE);
  SetWindowPos(hwnd_, nullptr, corners[0].x, corners[0].y, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  // Only the part over the owner's client area shows.
  RECT client = {};
  GetClientRect(owner_, &client);
  RECT shown = {std::max(rect_.left, client.left) - rect_.left, std::max(rect_.top, client.top) - rect_.top,
                std::min(rect_.right, client.right) - rect_.left, std::min(rect_.bottom, client.bottom) - rect_.top};
  HRGN region = CreateRoundRectRgn(shown.left, shown.top, std::max(shown.left, shown.right) + 1,
                                   std::max(shown.top, shown.bottom) + 1, 4, 4);
  if (region && !SetWindowRgn(hwnd_, region, TRUE)) DeleteObject(region);  // the window owns it once set
  InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateWindow(hwnd_);
}

void VemoWebViewCloseView::setVisible(bool visible) {
  if (!hwnd_) return;
  visible_ = visible;
  if (visible) {
    place();
    ShowWindow(hwnd_, SW_SHOWNORMAL);
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

LRESULT CALLBACK VemoWebViewCloseView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  VemoWebViewCloseView* view = fromHandle(window);
  if (view) {
    switch (message) {
      case WM_PAINT:
        if (view->glyph_.paint(window)) return 0;
        break;
      case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      case WM_LBUTTONUP:
        if (view->onClick_) view->onClick_();
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace VemoSDK
