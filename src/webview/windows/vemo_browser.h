#pragma once
// The popup browser window the community opener opens for a URL: modal by
// default (the parent is disabled while it shows), an ordinary captioned
// window with the page option "nonmodal_window". A wait cursor and, with
// "enable_loading", the loading overlay while a page loads; its closing
// reaches Lua as WEBVIEW_EVENT code 1. UI thread only.
#include "webview/overlay/loading_overlay.h"
#include "webview/webview_page_options.h"
#include "webview/windows/vemo_webview_window.h"

#include <memory>
#include <string>

namespace VemoSDK {

class VemoBrowser : public VemoWebViewWindow {
public:
  // params: "options" and "injection" (const char* JSON texts), "close_callback".
  VemoBrowser(HWND parent, const std::string& url, const WebViewSettingsMap& params);
  // A browser made ahead of use: prepare, then hand it to a browser that
  // opens (takePrepared).
  VemoBrowser();
  ~VemoBrowser() override;

  // Makes the hidden window on the main window and a web view on it that
  // starts its engine without a page; flags are the engine arguments
  // ("webview_flags"). False when there is no window to make it on.
  bool prepare(const std::string& flags);
  // Takes a prepared browser's window and web view: this browser's open
  // shows them with its own options instead of making new ones. The
  // prepared browser is left empty and posts nothing when deleted.
  void takePrepared(VemoBrowser& prepared);
  const VemoWebView* preparedWebView() const { return preparedWebView_.get(); }

  void onNavigationStarting() override;
  void onNavigationCompleted(bool ok) override;
  HWND createWindow() override;
  bool isAutoScaling() override { return true; }
  bool isHideOnOutsideClick() override { return false; }
  // The browser's close button is its system menu.
  void setCloseButtonVisible(bool visible) override;
  bool callbackJs(const std::string& data, const std::string& extra) override;
  void open(const std::string& url, const WebViewSettingsMap& params) override;
  void show() override;
  void hide() override;
  // Once: posts the close event, then the base close (which may run the
  // close callback that deletes this browser).
  int close() override;
  void executeScript(const std::string& script, std::function<void(const std::string&)> done) override;
  bool loadUrl(const std::string& url) override;
  // Brings a non-modal browser back from the taskbar.
  void restore();

  const WebViewPageOptions& pageOptions() const { return pageOptions_; }
  const Loading* loading() const { return loading_.get(); }
  VemoWebView* webView() const { return webView_.get(); }
  // The window rectangle on the screen (left, top, right, bottom).
  RECT screenRect() const { return RECT{x, y, width, height}; }

private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND createWindowOn(HWND parent);
  DWORD windowStyle() const;
  // Restores the parent and takes the rectangle on it as this browser's.
  RECT placeOn(HWND parent);
  // Gives a prepared window this browser's style, owner and rectangle.
  HWND restyle(HWND window, HWND parent);
  RECT rectFor(HWND parent) const;
  void moveLoadingToWindow();
  void setClassCursor(LPCWSTR cursor);

  WebViewPageOptions pageOptions_;
  std::unique_ptr<VemoWebView> webView_;
  std::unique_ptr<VemoWebView> preparedWebView_;
  HWND preparedWindow_ = nullptr;  // taken from a prepared browser, not yet opened
  std::unique_ptr<Loading> loading_;
};

}  // namespace VemoSDK
