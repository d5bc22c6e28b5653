#pragma once
// One browser page inside a parent window: creates the engine's environment
// and controller, applies settings and the user agent, navigates, turns
// load failures into the error page's URL or the fallback URL, reports page
// events to Lua as "WEBVIEW_EVENT" tasks, answers page calls and serves
// offline files. Every operation runs on the thread that owns the parent
// window, and so does every engine callback.
#include "webview/engine/web_engine.h"
#include "webview/live_webview_hosts.h"
#include "webview/vemo_webview_listener.h"
#include "webview/webview_json.h"
#include "webview/webview_load_stats.h"
#include "webview/webview_page_data.h"
#include "webview/webview_user_data_folder.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace VemoSDK {

// Settings given at construction; missing keys keep their defaults:
// "webview_path" (const wchar_t*: runtime folder), "injection" and "options"
// (const char*: UTF-8 JSON texts, default "{}"), "user_agent" (const wchar_t*).
using WebViewSettingsMap = std::map<std::string, const void*>;

// The entry under key as a T pointer, or null.
template <class T>
const T* webViewSetting(const WebViewSettingsMap& settings, const char* key) {
  auto found = settings.find(key);
  return found == settings.end() ? nullptr : static_cast<const T*>(found->second);
}

enum WebViewState : int32_t {
  kWebViewNew = 0,
  kWebViewReady = 1,
  kWebViewNavigating = 2,
  kWebViewLoaded = 3,
  kWebViewLoadFailed = 4,
  kWebViewEnvironmentFailed = -11,
  kWebViewInvalidParent = -12,
  kWebViewControllerFailed = -13,
};

class VemoWebView : public WebViewReplyTarget {
public:
  VemoWebView(HWND parent, const std::string& url, int left, int top, int right, int bottom,
              const WebViewSettingsMap& settings, VemoWebViewListener* listener, bool prepare);
  ~VemoWebView() override;
  VemoWebView(const VemoWebView&) = delete;
  VemoWebView& operator=(const VemoWebView&) = delete;

  // Hooks for a subclass that observes the host itself; empty by default.
  virtual void hookCreated(int ok) { (void)ok; }
  virtual void hookPageStarted() {}
  virtual void hookPageFinished(bool ok) { (void)ok; }
  // First chance at a page call the bridge does not handle; a reply (taken over) or null.
  virtual cJSON* handleJsCall(const std::string& id, const std::string& name, const cJSON* args);

  void attach(HWND parent, bool prepare);
  // Takes a host made ahead of use (prepare) into use for a page: its
  // settings (as the constructor reads them), then initWebView, which keeps
  // the prepared page for a file page (isFileUrl).
  void adopt(const std::string& url, const WebViewSettingsMap& settings);
  void setListener(VemoWebViewListener* listener) { listener_ = listener; }
  // Creates the page, or takes over a prepared one for a file page.
  void initWebView();
  void loadUrl(const std::string& url);
  // Answers a page call: {"retval": reply} or {"retval": text as a string}.
  void callbackJs(const std::string& id, const cJSON* reply);
  void callbackJs(const std::string& id, const std::string& text) override;
  // Runs a script; done (when set) gets its value as JSON text when it has one.
  void executeScript(const std::string& script, std::function<void(const std::string&)> done);
  void setBounds(int left, int top, int right, int bottom);
  void setTransparent(bool transparent);
  void reload();
  void suspend(bool suspended);
  void postPageEvent(const std::string* url, int type, cJSON* data);

  static bool isEqualUrl(const char* a, const char* b);
  // A page the engine loads with file access; only such a page takes over a prepared one.
  static bool isFileUrl(const std::string& url) { return url.compare(0, 7, "file://") == 0; }
  // A task for Lua with the code as its id and the JSON (taken over, may be null) as text.
  static void postEvent(const char* eventName, int64_t code, cJSON* json);

  HWND parentWindow() const { return parentWnd_; }
  int32_t state() const { return state_; }
  const std::string& currentUrl() const { return currentUrl_; }
  WebViewSerial serial() const { return serial_; }
  const WebViewPageData& pageData() const { return *pageData_; }
  const std::wstring& userAgent() const { return userAgent_; }
  HWND pageWindow() const;  // the child window the page is painted into, or null
  const WebViewLoadStats& stats() const { return stats_; }

private:
  void preInitWebView();
  HRESULT createEnvironment(const std::wstring& userDataFolder, bool preparing);
  void onEnvironment(HRESULT result, std::shared_ptr<WebEngine::Environment> environment, bool preparing);
  void onController(HRESULT result, std::shared_ptr<WebEngine::Controller> controller, bool preparing);
  void takeController(std::shared_ptr<WebEngine::Controller> controller);
  void dropController();  // handlers off, then the controller closed
  void readPageSettings(const WebViewSettingsMap& settings);
  void applySettings();
  void registerHandlers();
  void reportCreated(bool ok, int64_t code, const char* message);
  void fail(int32_t state, int64_t code, const char* message);

  void onPageStart(const std::string& uri);
  void onPageFinished(const WebEngine::NavigationCompletedArgs& args);
  void onWebMessage(const WebEngine::WebMessageReceivedArgs& args);
  void onLoadingFailed(const std::string& paramsJson);
  void onResourceRequested(WebEngine::WebResourceRequestedArgs& args);
  void ensureOfflineHookInstalled();
  void prepareErrorPage();
  std::string mapErrorUrl(const std::string& url) const;
  bool isErrorPage(const std::string& url) const;
  bool tryFallback();
  bool isFilePage() const;

  // The host of a serial while it exists (callbacks arrive later); null
  // and a log line naming what arrived once it is gone.
  static VemoWebView* live(WebViewSerial serial, const char* what);

  VemoWebViewListener* listener_;
  WebViewSerial serial_;
  std::wstring userAgent_;
  std::wstring runtimeFolder_;
  std::wstring filesEnvFolder_;
  int64_t startTimeMs_ = 0;
  bool offlineHookInstalled_ = false;
  bool handlersRegistered_ = false;
  std::shared_ptr<WebEngine::Environment> environment_;
  std::shared_ptr<WebEngine::Controller> controller_;
  std::shared_ptr<WebEngine::Controller> preparedController_;
  std::shared_ptr<WebEngine::WebView> webview_;
  std::vector<WebEngine::EventToken> tokens_;
  int32_t state_ = kWebViewNew;
  RECT bounds_ = {};
  HWND parentWnd_ = nullptr;
  std::string currentUrl_;
  std::string reportedUrl_;
  std::string entryUrl_;
  bool entryDone_ = false;
  std::unique_ptr<WebViewPageData> pageData_;
  WebViewLoadStats stats_;
  std::unique_ptr<WebViewUserDataFolder> userDataFolders_;
};

}  // namespace VemoSDK
