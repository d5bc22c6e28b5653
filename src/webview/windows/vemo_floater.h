#pragma once
// A child window inside the host's main window showing one page: it can be
// dragged by an inner area, follows and rescales with its parent, may hide
// when the user clicks outside it, and tells Lua what happens to it as
// "VEMO_FLOATER_EVENT" tasks. Kind 0 is laid over the whole client area by
// the browser opener; kind 1 is the one floater the scripts drive. UI thread
// only.
#include "webview/overlay/loading_overlay.h"
#include "webview/vemo_webview.h"
#include "webview/webview_page_options.h"
#include "webview/windows/floater_drag_padding.h"
#include "webview/windows/floater_geometry.h"
#include "webview/windows/vemo_webview_window.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace VemoSDK {

constexpr const char* kFloaterEvent = "VEMO_FLOATER_EVENT";

enum FloaterEventCode : int {
  kFloaterShown = 101,
  kFloaterHidden = 102,
  kFloaterClosed = 103,
  kFloaterResized = 104,
  kFloaterMoved = 105,
  kFloaterClicked = 201,
};

// Posted to the other children of a parent when a floater is made there
// (the argument is its handle).
constexpr UINT kFloaterCreatedMessage = 0x9001;

class VemoFloater : public VemoWebViewWindow {
public:
  // params: "injection" and "options" (UTF-8 JSON texts), "user_agent"
  // (wide text), "params_data" (const cJSON*: draggable, drag_padding,
  // injectJS, debuggable, auto_scaling, disable_outside_touch, options)
  // and the base's "close_callback".
  VemoFloater(HWND parent, int kind, const std::string& url, int x, int y, int width, int height,
              const WebViewSettingsMap& params);
  ~VemoFloater() override;

  void onWebViewCreated(bool ok) override;
  void onNavigationStarting() override;
  void onNavigationCompleted(bool ok) override;
  cJSON* onWebMessage(const std::string& id, const std::string& name, const cJSON* args) override;
  HWND createWindow() override;
  bool isAutoScaling() override { return autoScaling_; }
  bool isHideOnOutsideClick() override { return hideOnOutsideClick_; }
  void setBounds(int x, int y, int width, int height) override;
  bool callbackJs(const std::string& data, const std::string& extra) override;
  void open(const std::string& url, const WebViewSettingsMap& params) override;
  void show() override;
  void hide() override;
  int close() override;
  void executeScript(const std::string& script, std::function<void(const std::string&)> done) override;
  void onParentClick(POINT screenPoint) override;
  bool loadUrl(const std::string& url) override;

  void reload();
  void setDraggable(bool draggable) { draggable_ = draggable; }
  bool draggable() const { return draggable_; }
  const DragPadding& dragPadding() const { return dragPadding_; }
  HWND dragArea() const { return dragCover_; }
  VemoWebView* webView() const { return webView_.get(); }

  // The floater whose window or drag area this is, or null.
  static VemoFloater* fromWindow(HWND window);

private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT passOn(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  void readParams(const cJSON* params);
  void applyDragPadding(const cJSON* padding);
  void createDragArea(HWND window);
  void layDragArea();
  void destroyDragArea(HWND cover);
  static void forgetWindow(HWND window);
  void onFloaterCreated(HWND other);

  void onButtonDown(HWND window, LPARAM lparam);
  void onMouseMove(HWND window, LPARAM lparam);
  void onButtonUp(HWND window, LPARAM lparam);
  void endGesture();
  void forwardClick(POINT pressed, POINT released);

  FloaterBox box() const;
  SIZE parentClientSize() const;
  POINT toParentClient(HWND window, LPARAM lparam) const;
  void postFloaterEvent(int code, bool withBounds) const;

  std::string url_;
  WebViewPageOptions pageOptions_;
  std::wstring injectJs_;
  std::unique_ptr<VemoWebView> webView_;
  bool draggable_ = false;
  bool hasDraggableParameter_ = false;
  bool debuggable_ = false;
  bool enableLoading_ = false;
  bool protectedBoard_ = true;
  bool autoScaling_ = false;
  bool hideOnOutsideClick_ = false;
  DragPadding dragPadding_;
  HWND dragCover_ = nullptr;
  bool pressed_ = false;
  bool pendingThreshold_ = false;
  bool dragging_ = false;
  POINT dragStart_{0, 0};  // screen point of the press
  POINT lastPoint_{0, 0};  // cursor in parent client coordinates
  bool visible_ = false;
  bool closed_ = false;
  std::unique_ptr<Loading> loading_;
};

}  // namespace VemoSDK
