#pragma once
// The base of every native window that hosts one web view above a parent
// window of the game or launcher: its load state, its bounds relative to the
// parent, its close button (shown at once when the page asks for it or
// fails, and 5 s after a navigation started that has not completed), the
// parent's moves, resizes, restores and clicks, and closing on request of
// the page. The browser window and the floaters derive from it; openers and
// the Lua glue drive them only through the virtual operations.
//
// UI thread only: every window, hook, timer and registry here belongs to
// the thread that owns the parent window. Other threads come through
// runWindowWork (webview/window_work.h).
#include "webview/vemo_webview.h"
#include "webview/vemo_webview_listener.h"
#include "webview/windows/window_hook_owners.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace VemoSDK {

class VemoWebViewCloseView;

// What the hooks treat differently.
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
  kWindowClosed = 4,  // set by the browser only
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
  // Delay of the load watchdog: a page not completed by then offers its close button.
  static constexpr UINT kLoadWatchdogMs = 5000;
  // Posted to a non-browser window when its parent is restored from the
  // taskbar, with SC_RESTORE as wParam.
  static constexpr UINT kRestoreMessage = 0x9002;

  // params: the base reads only "close_callback" (a WebViewWindowCloseCallback*).
  VemoWebViewWindow(HWND parent, int kind, const WebViewSettingsMap& params);
  VemoWebViewWindow(const VemoWebViewWindow&) = delete;
  VemoWebViewWindow& operator=(const VemoWebViewWindow&) = delete;

  void onWebViewCreated(bool ok) override;
  void onNavigationStarting() override;
  void onNavigationCompleted(bool ok) override;
  // The page actions "nativeAction" ({"showCloseButton": bool}) and
  // "closeBrowser"; always null.
  cJSON* onWebMessage(const std::string& id, const std::string& name, const cJSON* args) override;
  virtual HWND createWindow() = 0;
  // Leaves the registries and takes pending work along; does not close
  // (concrete classes close in their own destructors).
  ~VemoWebViewWindow() override;
  virtual bool isAutoScaling() = 0;
  virtual bool isHideOnOutsideClick() = 0;
  virtual void setCloseButtonVisible(bool visible);
  virtual void refreshCloseButton();
  virtual void setBounds(int x, int y, int width, int height);
  virtual WebViewWindowBounds getBounds();
  // Answers a page call (cbid, JSON text); false when nothing took it.
  virtual bool callbackJs(const std::string& data, const std::string& extra);
  // Creates the window (createWindow) and its close button.
  virtual void open(const std::string& url, const WebViewSettingsMap& params);
  virtual void show();
  virtual void hide();
  // Tears the window down, gives the parent back its style and the focus,
  // then runs the close callback (once): 1 when it ran, else 0. Nothing of
  // the object may be touched after a close that ran the callback.
  virtual int close();
  // UTF-8 script; done gets its value as JSON text.
  virtual void executeScript(const std::string& script, std::function<void(const std::string&)> done);
  virtual void onParentClick(POINT screenPoint);
  virtual bool loadUrl(const std::string& url);

  // The parent (changed == parentWnd) or the window itself moved or
  // resized: rescale the bounds when auto-scaling, keep the close button
  // in the top-right corner.
  void followParent(HWND changed);
  // Closes on the next timer tick of this thread, out of whatever window
  // procedure or page handler asked for it.
  void closeLater();

  int32_t windowKind() const { return kind; }
  int32_t windowLoadState() const { return loadState; }
  HWND parentWindow() const { return parentWnd; }
  HWND window() const { return hwnd; }
  const VemoWebViewCloseView* closeButton() const { return closeView.get(); }
  bool hasWinEventHook(HWINEVENTHOOK hook) const { return hook && winEventHook.get() == hook; }

  // The window of an own window handle, or null.
  static VemoWebViewWindow* fromHandle(HWND window);
  // The windows on a parent, oldest first.
  static std::vector<VemoWebViewWindow*> windowsOn(HWND parent);
  // The thread's mouse hook while any window has a parent, else null.
  static HHOOK mouseHook();

protected:
  std::unique_ptr<VemoWebViewCloseView> closeView;
  RECT parentClientRect = {};
  int32_t addedClipChildren = 0;
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
  UniqueWinEventHook winEventHook;

private:
  void startLoadWatchdog();
  void onLoadWatchdog();
  void leaveParent();  // out of the parent's list; the mouse hook goes with the last window
  void leaveHandleMap();

  static void CALLBACK onWinEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                  DWORD thread, DWORD time);
  static LRESULT CALLBACK onMouse(int code, WPARAM wParam, LPARAM lParam);

  UINT_PTR loadWatchdog_ = 0;
};

// Whether the window is constructed and not yet destroyed; deferred work
// checks it before touching a window.
bool isWindowAlive(const VemoWebViewWindow* window);

}  // namespace VemoSDK
