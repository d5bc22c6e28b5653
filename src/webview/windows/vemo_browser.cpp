#include "webview/windows/vemo_browser.h"
#include "webview/windows/window_class.h"

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "core/win_utils.h"
#include "webview/overlay/window_placement.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_json.h"

#include <algorithm>
#include <map>

namespace VemoSDK {
namespace {

constexpr const wchar_t* kBrowserClass = L"VemosdkWebViewWin";
constexpr const char* kFatalCaption = "Windows Desktop Guided Tour";
constexpr DWORD kCloseButtonStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr int kLoadingSize = 50;

std::map<HWND, VemoBrowser*>& browsers() {
  static std::map<HWND, VemoBrowser*> map;
  return map;
}

const char* textParam(const WebViewSettingsMap& params, const char* key) {
  auto found = params.find(key);
  return found == params.end() ? nullptr : static_cast<const char*>(found->second);
}

int clampEdge(int edge, int screenExtent) { return std::clamp(edge, 0, std::max(0, screenExtent - 100)); }

}  // namespace

VemoBrowser::VemoBrowser(HWND parent, const std::string&, const WebViewSettingsMap& params)
    : VemoWebViewWindow(parent, kBrowserWindow, params),
      pageOptions_(WebViewPageOptions::fromText(textParam(params, "options"))) {
  hideCloseButton = pageOptions_.hideCloseButton;
}

VemoBrowser::VemoBrowser() : VemoWebViewWindow(nullptr, kBrowserWindow, WebViewSettingsMap()) {}

VemoBrowser::~VemoBrowser() {
  // Being destroyed already: a close callback that deletes this browser
  // must not run from here.
  closeCallback = nullptr;
  close();
  webView_.reset();
  loading_.reset();
}

RECT VemoBrowser::rectFor(HWND parent) const {
  RECT rect = centreRect(parent, pageOptions_.minWidth, pageOptions_.minHeight);
  if (!pageOptions_.nonmodalWindow) return rect;
  const NonmodalWindowFrame& frame = pageOptions_.nonmodalWindowFrame;
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (frame.dx) rect.left = clampEdge(rect.left + frame.dx, GetSystemMetrics(SM_CXSCREEN));
  if (frame.dy) rect.top = clampEdge(rect.top + frame.dy, GetSystemMetrics(SM_CYSCREEN));
  if (frame.width) w = frame.width;
  if (frame.height) h = frame.height;
  return RECT{rect.left, rect.top, rect.left + w, rect.top + h};
}

DWORD VemoBrowser::windowStyle() const {
  DWORD style = WS_POPUP;
  if (!pageOptions_.hideCloseButton) {
    vemo_debug_print("not hide close btn, now show it");
    style |= WS_SYSMENU;
  }
  if (pageOptions_.nonmodalWindow) style |= WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  return style;
}

HWND VemoBrowser::createWindow() {
  HWND parent = parentWnd && IsWindow(parentWnd) ? parentWnd : findMainWindow();
  if (preparedWindow_ && parent) {
    HWND window = preparedWindow_;
    preparedWindow_ = nullptr;
    return restyle(window, parent);
  }
  return createWindowOn(parent);
}

RECT VemoBrowser::placeOn(HWND parent) {
  ShowWindow(parent, IsIconic(parent) ? SW_RESTORE : SW_SHOW);
  UpdateWindow(parent);
  RECT rect = rectFor(parent);
  x = rect.left, y = rect.top, width = rect.right, height = rect.bottom;
  return rect;
}

HWND VemoBrowser::restyle(HWND window, HWND parent) {
  RECT rect = placeOn(parent);
  browsers()[window] = this;
  SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(windowStyle()));
  SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(pageOptions_.nonmodalWindow ? nullptr : parent));
  SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return window;
}

HWND VemoBrowser::createWindowOn(HWND parent) {
  if (!registerWebViewWindowClass(kBrowserClass, windowProc, IDC_WAIT, true)) {
    MessageBoxA(nullptr, "Call to RegisterClassEx failed!", kFatalCaption, 0);
    return nullptr;
  }
  if (!parent) return nullptr;
  RECT rect = placeOn(parent);
  DWORD exStyle = is_windows7() ? 0 : WS_EX_COMPOSITED | WS_EX_LAYERED;
  HWND owner = pageOptions_.nonmodalWindow ? nullptr : parent;
  HWND window = CreateWindowExW(exStyle, kBrowserClass, L"", windowStyle(), rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    vemo_debug_printf("Call to CreateWindow failed, code: %d\n", static_cast<int>(GetLastError()));
    MessageBoxA(nullptr, "Call to CreateWindow failed!", kFatalCaption, 0);
    return nullptr;
  }
  if (exStyle & WS_EX_LAYERED) SetLayeredWindowAttributes(window, RGB(255, 255, 255), 0, LWA_COLORKEY);
  browsers()[window] = this;
  return window;
}

bool VemoBrowser::prepare(const std::string& flags) {
  vemo::JsonPtr request(cJSON_CreateObject());
  cJSON_AddStringToObject(request.get(), "webview_flags", flags.c_str());
  const std::string options = vemo::print_json(request.get());
  pageOptions_ = WebViewPageOptions::fromText(options.c_str());
  HWND mainWindow = vmsdk_get_main_hwnd();
  HWND window = createWindowOn(mainWindow && IsWindow(mainWindow) ? mainWindow : findMainWindow());
  if (!window) {
    loadState = kWindowClosed;  // never there: its deletion tells Lua nothing
    return false;
  }
  hwnd = window;  // hidden until a browser that takes it opens
  RECT client = {};
  GetClientRect(window, &client);
  preparedWebView_ = std::make_unique<VemoWebView>(window, std::string(), 0, 0, client.right, client.bottom,
                                                   WebViewSettingsMap{{"options", options.c_str()}}, this, true);
  return true;
}

void VemoBrowser::takePrepared(VemoBrowser& prepared) {
  if (!prepared.hwnd || !prepared.preparedWebView_ || preparedWindow_ || hwnd) return;
  preparedWindow_ = prepared.hwnd;
  preparedWebView_ = std::move(prepared.preparedWebView_);
  preparedWebView_->setListener(this);
  browsers()[preparedWindow_] = this;
  prepared.hwnd = nullptr;
  prepared.loadState = kWindowClosed;  // nothing left to close or report
}

void VemoBrowser::open(const std::string& url, const WebViewSettingsMap& params) {
  vemo_debug_print("wv===>VemoBrowser::open, start");
  VemoWebViewWindow::open(url, params);
  if (hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    if (preparedWebView_) {
      // The prepared page is kept for a file page and navigated at once.
      webView_ = std::move(preparedWebView_);
      webView_->setBounds(0, 0, client.right, client.bottom);
      webView_->adopt(url, params);
    } else {
      webView_ = std::make_unique<VemoWebView>(hwnd, url, 0, 0, client.right, client.bottom, params, this, false);
      webView_->loadUrl(url);
    }
    if (parentWnd) EnableWindow(parentWnd, pageOptions_.nonmodalWindow ? TRUE : FALSE);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
  }
  if (pageOptions_.enableLoading) {
    loading_ = std::make_unique<Loading>(hwnd ? hwnd : parentWnd, x, y, width, height,
                                         static_cast<DWORD>(CW_USEDEFAULT), kLoadingSize, kLoadingSize);
    vemo_debug_print("wv===>VemoBrowser::open, loading start");
    loading_->start();
  }
  if (hwnd) SetFocus(hwnd);
  vemo_debug_print("wv===>VemoBrowser::open, end");
}

void VemoBrowser::setClassCursor(LPCWSTR cursor) {
  if (hwnd) SetClassLongPtrW(hwnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, cursor)));
}

void VemoBrowser::onNavigationStarting() {
  VemoWebViewWindow::onNavigationStarting();
  setClassCursor(reinterpret_cast<LPCWSTR>(IDC_WAIT));
  if (loading_) loading_->start();
}

void VemoBrowser::onNavigationCompleted(bool ok) {
  VemoWebViewWindow::onNavigationCompleted(ok);
  setClassCursor(reinterpret_cast<LPCWSTR>(IDC_ARROW));
  if (loading_) loading_->stop();
}

void VemoBrowser::setCloseButtonVisible(bool visible) {
  if (!hwnd || !IsWindow(hwnd)) {
    vemo_debug_print("set_win_close_btn_visibility skip for wnd is not exists");
    return;
  }
  LONG style = GetWindowLongW(hwnd, GWL_STYLE) | kCloseButtonStyle;
  if (!visible) style &= ~WS_SYSMENU;
  vemo_debug_print(visible ? "show close btn\n" : "hide close btn\n");
  SetWindowLongW(hwnd, GWL_STYLE, style);
  if (!pageOptions_.nonmodalWindow)
    SetWindowPos(hwnd, nullptr, x, y, width - x, height - y, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool VemoBrowser::callbackJs(const std::string& data, const std::string& extra) {
  if (!webView_) return false;
  webView_->callbackJs(data, extra);
  return true;
}

void VemoBrowser::executeScript(const std::string& script, std::function<void(const std::string&)> done) {
  if (webView_ && !script.empty()) webView_->executeScript(script, std::move(done));
}

bool VemoBrowser::loadUrl(const std::string& url) {
  if (!webView_) return false;
  webView_->loadUrl(url);
  return true;
}

void VemoBrowser::moveLoadingToWindow() {
  RECT rect = {};
  if (loading_ && hwnd && GetWindowRect(hwnd, &rect)) loading_->moveTo(rect.left, rect.top, rect.right, rect.bottom);
}

void VemoBrowser::show() {
  if (webView_) webView_->suspend(false);
  if (!hwnd) return;
  if (parentWnd) EnableWindow(parentWnd, pageOptions_.nonmodalWindow ? TRUE : FALSE);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd);
  if (pageOptions_.nonmodalWindow) ShowWindow(hwnd, SW_RESTORE);
  if (parentWnd && IsWindow(parentWnd)) {
    RECT rect = rectFor(parentWnd);
    x = rect.left, y = rect.top, width = rect.right, height = rect.bottom;
    MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    moveLoadingToWindow();
  }
}

void VemoBrowser::hide() {
  if (webView_) webView_->suspend(true);
  if (hwnd) {
    if (!pageOptions_.nonmodalWindow && parentWnd) {
      EnableWindow(parentWnd, TRUE);
      SetActiveWindow(parentWnd);
    }
    ShowWindow(hwnd, SW_HIDE);
  }
  loading_.reset();
}

void VemoBrowser::restore() {
  if (hwnd && pageOptions_.nonmodalWindow) {
    ShowWindow(hwnd, SW_RESTORE);
    SetForegroundWindow(hwnd);
  }
}

int VemoBrowser::close() {
  if (loadState > kWindowNavigationCompleted) return 0;
  std::string url = webView_ ? webView_->currentUrl() : std::string();
  loadState = kWindowClosed;
  loading_.reset();
  if (parentWnd && IsWindow(parentWnd) && !pageOptions_.nonmodalWindow) {
    EnableWindow(parentWnd, TRUE);
    SetActiveWindow(parentWnd);
  } else {
    vemo_debug_print("on_webview_window_dismiss skip, for g_parentWnd is nil");
  }
  webView_.reset();
  // A browser made ahead of use was never shown: nothing to report.
  const bool prepared = preparedWebView_ != nullptr;
  preparedWebView_.reset();
  if (preparedWindow_) {
    browsers().erase(preparedWindow_);
    DestroyWindow(preparedWindow_);
    preparedWindow_ = nullptr;
  }
  if (hwnd) {
    browsers().erase(hwnd);
    vemo_debug_print("destroy_webview_window");
  } else {
    vemo_debug_print("close_webview_window for g_hWebWnd not exists");
  }
  if (!prepared) {
    vemo::JsonPtr event(cJSON_CreateObject());
    cJSON_AddStringToObject(event.get(), "type", "close");
    vemo::JsonPtr args(cJSON_CreateString(pageOptions_.closeEventData.c_str()));
    WebViewEventDispatcher::postEvent(event.release(), url, 1, args.get());
  }
  // Last: the close callback may delete this browser.
  return VemoWebViewWindow::close();
}

LRESULT CALLBACK VemoBrowser::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = browsers().find(window);
  if (found == browsers().end()) return DefWindowProcW(window, message, wParam, lParam);
  VemoBrowser* browser = found->second;
  switch (message) {
    case WM_MOVE:
      if (!browser->pageOptions_.draggable)
        SetWindowPos(window, nullptr, browser->x, browser->y, browser->width - browser->x,
                     browser->height - browser->y, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      browser->moveLoadingToWindow();
      break;
    case WM_SIZE:
      if (browser->webView_) browser->webView_->setBounds(0, 0, LOWORD(lParam), HIWORD(lParam));
      browser->moveLoadingToWindow();
      break;
    case WM_NCDESTROY:
      // Destroyed with its owner, not through close: no stale entry for a reused handle.
      browsers().erase(window);
      break;
    case WM_CLOSE:
      // The close destroys the window and may delete the browser: nothing
      // of either is touched after it.
      browser->close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace VemoSDK
