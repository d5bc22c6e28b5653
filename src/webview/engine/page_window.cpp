#include "webview/engine/page_window.h"

#include <objidl.h>  // before gdiplus.h, which needs it under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <mutex>

#include "core/owners.h"
#include "core/text_convert.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

constexpr const wchar_t* kWindowClass = L"VemoWebEngineView";
constexpr UINT_PTR kTimerId = 1;

void ensureGdiplus() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Left running for the process: pictures may be drawn until exit.
    static ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
  });
}

bool registerClass() {
  static ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
  }();
  return atom != 0;
}

// DevTools modifier bits: Alt 1, Ctrl 2, Meta 4, Shift 8.
int keyboardModifiers() {
  int modifiers = 0;
  if (GetKeyState(VK_MENU) < 0) modifiers |= 1;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= 2;
  if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0) modifiers |= 4;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= 8;
  return modifiers;
}

// DevTools button bits: left 1, right 2, middle 4.
int pressedButtons(WPARAM keys) {
  return ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) | ((keys & MK_MBUTTON) ? 4 : 0);
}

}  // namespace

std::unique_ptr<PageWindow> PageWindow::create(HWND parent, const RECT& bounds, InputSink input) {
  ensureGdiplus();
  if (!registerClass()) return nullptr;
  std::unique_ptr<PageWindow> page(new PageWindow());
  page->input_ = std::move(input);
  page->window_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, bounds.left,
                                  bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!page->window_) return nullptr;
  SetWindowLongPtrW(page->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page.get()));
  SetWindowLongPtrW(page->window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PageWindow::windowProc));
  return page;
}

PageWindow::~PageWindow() {
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcW));
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

bool PageWindow::showFrame(const std::string& imageBytes) {
  vemo::ComPtr<IStream> stream(
      SHCreateMemStream(reinterpret_cast<const BYTE*>(imageBytes.data()), static_cast<UINT>(imageBytes.size())));
  if (!stream) return false;
  std::unique_ptr<Gdiplus::Bitmap> picture(Gdiplus::Bitmap::FromStream(stream.get()));
  if (!picture || picture->GetLastStatus() != Gdiplus::Ok) return false;
  const int width = static_cast<int>(picture->GetWidth());
  const int height = static_cast<int>(picture->GetHeight());
  if (width <= 0 || height <= 0) return false;

  // Composed once onto the background colour, so painting is one blit.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  vemo::UniqueGdiObject<HBITMAP> composed(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!composed) return false;
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, composed.get());
  {
    Gdiplus::Graphics graphics(memory);
    graphics.Clear(Gdiplus::Color(255, background_.r, background_.g, background_.b));
    graphics.DrawImage(picture.get(), 0, 0, width, height);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  frame_ = std::move(composed);
  frameSize_ = SIZE{width, height};
  InvalidateRect(window_, nullptr, FALSE);
  return true;
}

void PageWindow::setBackground(Color color) {
  background_ = color;
  InvalidateRect(window_, nullptr, FALSE);
}

void PageWindow::startTimer(UINT milliseconds) { SetTimer(window_, kTimerId, milliseconds, nullptr); }

void PageWindow::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  RECT client;
  GetClientRect(window_, &client);
  vemo::UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(RGB(background_.r, background_.g, background_.b)));
  if (frame_) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, frame_.get());
    BitBlt(dc, 0, 0, frameSize_.cx, frameSize_.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    RECT right{frameSize_.cx, 0, client.right, client.bottom};
    RECT below{0, frameSize_.cy, frameSize_.cx, client.bottom};
    FillRect(dc, &right, brush.get());
    FillRect(dc, &below, brush.get());
  } else {
    FillRect(dc, &client, brush.get());
  }
  EndPaint(window_, &ps);
}

void PageWindow::mouse(const char* type, LPARAM lparam, WPARAM wparam, const char* button) {
  vemo::JsonPtr params(cJSON_CreateObject());
  cJSON_AddStringToObject(params.get(), "type", type);
  cJSON_AddNumberToObject(params.get(), "x", GET_X_LPARAM(lparam));
  cJSON_AddNumberToObject(params.get(), "y", GET_Y_LPARAM(lparam));
  cJSON_AddStringToObject(params.get(), "button", button);
  cJSON_AddNumberToObject(params.get(), "buttons", pressedButtons(wparam));
  cJSON_AddNumberToObject(params.get(), "clickCount", std::string(type) == "mouseMoved" ? 0 : 1);
  cJSON_AddNumberToObject(params.get(), "modifiers", keyboardModifiers());
  input_("Input.dispatchMouseEvent", std::move(params));
}

void PageWindow::wheel(WPARAM wparam, LPARAM lparam) {
  POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};  // screen coordinates for the wheel
  ScreenToClient(window_, &point);
  vemo::JsonPtr params(cJSON_CreateObject());
  cJSON_AddStringToObject(params.get(), "type", "mouseWheel");
  cJSON_AddNumberToObject(params.get(), "x", point.x);
  cJSON_AddNumberToObject(params.get(), "y", point.y);
  cJSON_AddNumberToObject(params.get(), "deltaX", 0);
  // One notch (120) scrolls about 100 pixels; a forward turn scrolls up.
  cJSON_AddNumberToObject(params.get(), "deltaY", -GET_WHEEL_DELTA_WPARAM(wparam) * 100 / WHEEL_DELTA);
  cJSON_AddNumberToObject(params.get(), "modifiers", keyboardModifiers());
  input_("Input.dispatchMouseEvent", std::move(params));
}

void PageWindow::key(const char* type, WPARAM wparam, LPARAM lparam) {
  vemo::JsonPtr params(cJSON_CreateObject());
  cJSON_AddStringToObject(params.get(), "type", type);
  cJSON_AddNumberToObject(params.get(), "windowsVirtualKeyCode", static_cast<double>(wparam));
  cJSON_AddNumberToObject(params.get(), "nativeVirtualKeyCode", static_cast<double>(wparam));
  cJSON_AddBoolToObject(params.get(), "autoRepeat", (lparam & (1 << 30)) != 0);
  cJSON_AddNumberToObject(params.get(), "modifiers", keyboardModifiers());
  input_("Input.dispatchKeyEvent", std::move(params));
}

void PageWindow::character(WPARAM wparam) {
  const wchar_t unit = static_cast<wchar_t>(wparam);
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    highSurrogate_ = unit;
    return;
  }
  std::wstring text;
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (!highSurrogate_) return;
    text.push_back(highSurrogate_);
  }
  highSurrogate_ = 0;
  text.push_back(unit);
  vemo::JsonPtr params(cJSON_CreateObject());
  cJSON_AddStringToObject(params.get(), "type", "char");
  const std::string utf8 = wstring_to_utf8(text);
  cJSON_AddStringToObject(params.get(), "text", utf8.c_str());
  cJSON_AddStringToObject(params.get(), "unmodifiedText", utf8.c_str());
  cJSON_AddNumberToObject(params.get(), "modifiers", keyboardModifiers());
  input_("Input.dispatchKeyEvent", std::move(params));
}

LRESULT PageWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wparam == kTimerId) {
        KillTimer(window_, kTimerId);
        if (timerCallback_) timerCallback_();
      }
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
    case WM_MOUSEMOVE:
      mouse("mouseMoved", lparam, wparam,
            (wparam & MK_LBUTTON) ? "left" : (wparam & MK_RBUTTON) ? "right" : (wparam & MK_MBUTTON) ? "middle" : "none");
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      SetFocus(window_);
      SetCapture(window_);
      mouse("mousePressed", lparam, wparam,
            message == WM_LBUTTONDOWN ? "left" : message == WM_RBUTTONDOWN ? "right" : "middle");
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == window_ && !(wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) ReleaseCapture();
      mouse("mouseReleased", lparam, wparam,
            message == WM_LBUTTONUP ? "left" : message == WM_RBUTTONUP ? "right" : "middle");
      return 0;
    case WM_MOUSEWHEEL:
      wheel(wparam, lparam);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      key("rawKeyDown", wparam, lparam);
      return message == WM_KEYDOWN ? 0 : DefWindowProcW(window_, message, wparam, lparam);
    case WM_KEYUP:
    case WM_SYSKEYUP:
      key("keyUp", wparam, lparam);
      return message == WM_KEYUP ? 0 : DefWindowProcW(window_, message, wparam, lparam);
    case WM_CHAR:
      character(wparam);
      return 0;
    default:
      return DefWindowProcW(window_, message, wparam, lparam);
  }
}

LRESULT CALLBACK PageWindow::windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* page = reinterpret_cast<PageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!page) return DefWindowProcW(window, message, wparam, lparam);
  return page->handle(message, wparam, lparam);
}

}  // namespace WebEngine
}  // namespace VemoSDK
