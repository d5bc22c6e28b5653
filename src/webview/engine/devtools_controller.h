#pragma once
// A controller: the page's child window on the parent, its bounds,
// visibility and background, and the screencast that paints the page into
// the window. UI thread only.
#include <memory>

#include "webview/engine/devtools_page.h"
#include "webview/engine/page_window.h"
#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

class DevToolsController : public Controller, public std::enable_shared_from_this<DevToolsController> {
public:
  DevToolsController(std::shared_ptr<DevToolsPage> page, std::unique_ptr<PageWindow> window, RECT bounds);
  ~DevToolsController() override;

  // Sizes the page to the bounds and starts painting; called once the page
  // is set up.
  void start();

  std::shared_ptr<WebView> webView() override { return window_ ? page_ : nullptr; }
  RECT bounds() const override { return bounds_; }
  void putBounds(const RECT& bounds) override;
  bool isVisible() const override { return visible_; }
  void putIsVisible(bool visible) override;
  Color defaultBackgroundColor() const override { return background_; }
  void putDefaultBackgroundColor(Color color) override;
  HWND childWindow() const override { return window_ ? window_->handle() : nullptr; }
  void close() override;

private:
  void applyViewport();
  void restartScreencast();

  std::shared_ptr<DevToolsPage> page_;
  std::unique_ptr<PageWindow> window_;
  RECT bounds_;
  bool visible_ = true;
  Color background_;
  int screencastRetries_ = 0;
};

}  // namespace WebEngine
}  // namespace VemoSDK
