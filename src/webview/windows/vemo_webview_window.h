#pragma once
// The base of the native windows that host one web view over a parent
// window: its bounds, its window and closing. This is the floater's minimal
// view of it (the close button, the load watchdog, auto-scaling and the
// mouse hook come with the full window base). UI thread only.
#include "webview/vemo_webview.h"
#include "webview/vemo_webview_listener.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace VemoSDK {

enum WebViewWindowKind : int32_t {
  kOpenerFloater = 0,  // laid over the host window by the browser opener
  kLuaFloater = 1,     // the one floater Lua drives through FLOATER
  kBrowserWindow = 2,  // the popup browser
};

enum WebViewWindowLoadState : int32_t {
  kWindowNew = 0,
  kWindowWebViewCreated = 1,
  kWindowNavigationStarted = 2,
  kWindowNavigationCompleted = 3,
};

struct WebViewWindowBounds {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The parameter map entry "close_callback" points at one of these; close()
// runs it last, and it may delete the window.
using WebViewWindowCloseCallback = std::function<void()>;

class VemoWebViewWindow : public VemoWebViewListener {
public:
  // Posted to a non-browser window when its parent is restored, with SC_RESTORE as wParam.
  static constexpr UINT kRestoreMessage = 0x9002;

  VemoWebViewWindow(HWND parent, int kind, const WebViewSettingsMap& params) : kind(kind), parentWnd(parent) {
    auto callback = params.find("close_callback");
    if (callback != params.end() && callback->second)
      closeCallback = *static_cast<const WebViewWindowCloseCallback*>(callback->second);
  }
  VemoWebViewWindow(const VemoWebViewWindow&) = delete;
  VemoWebViewWindow& operator=(const VemoWebViewWindow&) = delete;
  ~VemoWebViewWindow() override = default;

  void onWebViewCreated(bool ok) override {
    if (ok) loadState = kWindowWebViewCreated;
  }
  void onNavigationStarting() override { loadState = kWindowNavigationStarted; }
  void onNavigationCompleted(bool) override { loadState = kWindowNavigationCompleted; }
  cJSON* onWebMessage(const std::string&, const std::string&, const cJSON*) override { return nullptr; }
  virtual HWND createWindow() = 0;
  virtual bool isAutoScaling() = 0;
  virtual bool isHideOnOutsideClick() = 0;
  virtual void setCloseButtonVisible(bool) {}
  virtual void refreshCloseButton() {}
  virtual void setBounds(int newX, int newY, int newWidth, int newHeight) {
    x = newX;
    y = newY;
    width = newWidth;
    height = newHeight;
  }
  virtual WebViewWindowBounds getBounds() { return WebViewWindowBounds{x, y, width, height}; }
  virtual bool callbackJs(const std::string&, const std::string&) { return false; }
  virtual void open(const std::string&, const WebViewSettingsMap&) { hwnd = createWindow(); }
  virtual void show() {}
  virtual void hide() {}
  // Destroys the window, then runs the close callback once: 1 when it ran.
  virtual int close() {
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
    hwnd = nullptr;
    WebViewWindowCloseCallback callback = std::move(closeCallback);
    closeCallback = nullptr;
    if (!callback) return 0;
    callback();
    return 1;
  }
  virtual void executeScript(const std::string&, std::function<void(const std::string&)>) {}
  virtual void onParentClick(POINT) {}
  virtual bool loadUrl(const std::string&) { return false; }

  int32_t windowKind() const { return kind; }
  HWND parentWindow() const { return parentWnd; }
  HWND window() const { return hwnd; }

protected:
  int32_t loadState = kWindowNew;
  int32_t kind;
  WebViewWindowCloseCallback closeCallback;
  HWND parentWnd;
  HWND hwnd = nullptr;
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool hideCloseButton = false;
};

}  // namespace VemoSDK
