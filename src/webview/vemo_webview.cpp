// Creation and destruction of a host: environment, controller, settings and
// the engine's event handlers.
#include "webview/vemo_webview.h"

#include "core/debug_log.h"
#include "core/system_clock.h"
#include "core/text_convert.h"
#include "webview/web_engine_entry.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_runtime_discovery.h"
#include "webview/webview_user_agent.h"

namespace VemoSDK {
namespace {

constexpr const char* kDefaultArguments = "--disable-features=msSmartScreenProtection";
constexpr const char* kFilePageArguments =
    "--allow-file-access-from-files --disable-web-security --disable-features=msSmartScreenProtection";

}  // namespace

VemoWebView* VemoWebView::live(WebViewSerial serial, const char* what) {
  auto* host = static_cast<VemoWebView*>(LiveWebViewHosts::find(serial));
  if (!host) vemo_debug_printf("WEBVIEW#%s with this already destruct\n", what);
  return host;
}

VemoWebView::VemoWebView(HWND parent, const std::string& url, int left, int top, int right, int bottom,
                         const WebViewSettingsMap& settings, VemoWebViewListener* listener, bool prepare)
    : listener_(listener), serial_(LiveWebViewHosts::add(this)), currentUrl_(url) {
  bounds_ = RECT{left, top, right, bottom};
  const wchar_t* runtime = webViewSetting<wchar_t>(settings, "webview_path");
  runtimeFolder_ = runtime && *runtime ? runtime : WebViewRuntimeDiscovery::folder();
  userDataFolders_ = std::make_unique<WebViewUserDataFolder>(runtimeFolder_);
  filesEnvFolder_ = userDataFolders_->folder() + L"files_env\\";
  vemo_debug_printf("wv===>user data folder: %s\n", wstring_to_utf8(userDataFolders_->folder()).c_str());
  readPageSettings(settings);
  attach(parent, prepare);
}

void VemoWebView::readPageSettings(const WebViewSettingsMap& settings) {
  const wchar_t* agent = webViewSetting<wchar_t>(settings, "user_agent");
  if (agent && *agent) userAgent_ = agent;
  const char* injection = webViewSetting<char>(settings, "injection");
  const char* options = webViewSetting<char>(settings, "options");
  pageData_ = std::make_unique<WebViewPageData>(injection ? injection : "{}", options ? options : "{}");
}

void VemoWebView::adopt(const std::string& url, const WebViewSettingsMap& settings) {
  currentUrl_ = url;
  readPageSettings(settings);
  initWebView();
}

VemoWebView::~VemoWebView() {
  // The page goes first: no handler may run on a half-destroyed host, and
  // the browser must let go of the profile folder before its lock does.
  LiveWebViewHosts::remove(serial_);
  WebViewEventDispatcher::instance().forgetHost(serial_);
  dropController();
  if (preparedController_) preparedController_->close();
  preparedController_.reset();
  environment_.reset();
  pageData_.reset();
  userDataFolders_.reset();
}

void VemoWebView::dropController() {
  if (webview_) {
    for (WebEngine::EventToken token : tokens_) webview_->removeHandler(token);
  }
  tokens_.clear();
  handlersRegistered_ = false;
  offlineHookInstalled_ = false;
  if (controller_) controller_->close();
  if (preparedController_ == controller_) preparedController_.reset();
  controller_.reset();
  webview_.reset();
}

cJSON* VemoWebView::handleJsCall(const std::string&, const std::string&, const cJSON*) { return nullptr; }

void VemoWebView::attach(HWND parent, bool prepare) {
  if (!parent || parent == parentWnd_) return;
  parentWnd_ = parent;
  if (bounds_.left == 0 && bounds_.top == 0 && bounds_.right == 0 && bounds_.bottom == 0)
    GetClientRect(parent, &bounds_);
  if (prepare) {
    preInitWebView();
  } else {
    initWebView();
  }
}

bool VemoWebView::isFilePage() const { return isFileUrl(currentUrl_); }

HRESULT VemoWebView::createEnvironment(const std::wstring& userDataFolder, bool preparing) {
  WebEngine::EnvironmentOptions options;
  options.additionalBrowserArguments = preparing || isFilePage() ? kFilePageArguments : kDefaultArguments;
  std::string flags = pageData_->options().webviewFlags;
  if (!flags.empty()) options.additionalBrowserArguments = flags;
  WebViewSerial serial = serial_;
  return startEnvironment(
      runtimeFolder_, userDataFolder, options,
      [serial, preparing](HRESULT result, std::shared_ptr<WebEngine::Environment> environment) {
        if (VemoWebView* host = live(serial, "initWebView CreateCoreWebView2EnvironmentWithOptions failed"))
          host->onEnvironment(result, std::move(environment), preparing);
      });
}

void VemoWebView::initWebView() {
  std::wstring userDataFolder = userDataFolders_->folder();
  prepareErrorPage();
  vemo_debug_print("wv===>initWebView");
  startTimeMs_ = system_clock_ms();
  if (isFilePage() && preparedController_) {
    takeController(preparedController_);
    preparedController_.reset();
    vemo_debug_print("wv===>preInitWebView,initSettings");
    applySettings();
    reportCreated(true, 0, "");
    state_ = kWebViewReady;
    loadUrl(currentUrl_);
    return;
  }
  if (isFilePage()) userDataFolder = filesEnvFolder_;
  HRESULT result = createEnvironment(userDataFolder, false);
  if (FAILED(result)) {
    vemo_debug_printf("WEBVIEW#fail to create webview enviroment:%lu", static_cast<unsigned long>(result));
    fail(kWebViewEnvironmentFailed, result, "fail to create webview enviroment");
  }
}

void VemoWebView::preInitWebView() {
  vemo_debug_print("wv===>preInitWebView");
  HRESULT result = createEnvironment(filesEnvFolder_, true);
  if (FAILED(result)) {
    vemo_debug_printf("WEBVIEW#fail to create webview enviroment:%lu", static_cast<unsigned long>(result));
    state_ = kWebViewEnvironmentFailed;
    hookCreated(0);
    if (listener_) listener_->onWebViewCreated(false);
  }
}

void VemoWebView::onEnvironment(HRESULT result, std::shared_ptr<WebEngine::Environment> environment,
                                bool preparing) {
  const char* prefix = preparing ? "wv===>preInitWebView, " : "";
  if (FAILED(result) || !environment) {
    vemo_debug_printf("%sWEBVIEW#invalid enviroment: %lu", prefix, static_cast<unsigned long>(result));
    if (!preparing) fail(kWebViewEnvironmentFailed, result, "invalid enviroment");
    return;
  }
  if (!IsWindow(parentWnd_)) {
    vemo_debug_printf("%sWEBVIEW#invalid window handler", prefix);
    if (!preparing) fail(kWebViewInvalidParent, -1, "invalid window handler");
    return;
  }
  environment_ = environment;
  vemo_debug_printf("%swv===>CreateCoreWebView2EnvironmentWithOptions: ", preparing ? "wv===>preInitWebView, " : "");
  WebViewSerial serial = serial_;
  HRESULT created = environment->createController(
      parentWnd_, [serial, preparing](HRESULT code, std::shared_ptr<WebEngine::Controller> controller) {
        if (VemoWebView* host = live(serial, "initWebView CreateCoreWebView2Controller failed"))
          host->onController(code, std::move(controller), preparing);
      });
  if (FAILED(created)) {
    vemo_debug_printf("%sWEBVIEW#fail to create enviroment: %lu", prefix, static_cast<unsigned long>(created));
    if (!preparing) fail(kWebViewControllerFailed, created, "fail to create enviroment");
  }
  vemo_debug_printf("%sCreateCoreWebView2EnvironmentWithOptions End", preparing ? "wv===>preInitWebView, " : "wv===>");
}

void VemoWebView::onController(HRESULT result, std::shared_ptr<WebEngine::Controller> controller, bool preparing) {
  vemo_debug_print(preparing ? "wv===>preInitWebView, CreateCoreWebView2Controller cb" : "wv===>CreateCoreWebView2Controller cb: ");
  bool usable = SUCCEEDED(result) && controller && controller->webView();
  if (preparing) {
    // A preparation that finishes after the page got a controller of its own
    // is too late: the one in use stays.
    if (!usable || controller_) {
      if (controller) controller->close();
      return;
    }
    takeController(controller);
    preparedController_ = controller;
    vemo_debug_print("wv===>preInitWebView,initSettings, prepare");
    applySettings();
    state_ = kWebViewReady;
    return;
  }
  if (!usable) {
    vemo_debug_print("WEBVIEW#invalid controller");
    if (controller) controller->close();
    fail(kWebViewControllerFailed, FAILED(result) ? result : E_FAIL, "invalid controller");
    return;
  }
  takeController(controller);  // a preparation not yet taken over is not needed now
  vemo_debug_print("wv===>initSettings");
  applySettings();
  reportCreated(true, 0, "");
  state_ = kWebViewReady;
  loadUrl(currentUrl_);
  stats_.setInitCost(startTimeMs_, system_clock_ms());
}

void VemoWebView::takeController(std::shared_ptr<WebEngine::Controller> controller) {
  if (controller != controller_) dropController();
  controller_ = std::move(controller);
  webview_ = controller_->webView();
  ensureOfflineHookInstalled();
  for (const char* method : {"Network.enable", "Console.enable"})
    webview_->callDevToolsMethod(method, "{}", nullptr);
  controller_->putBounds(bounds_);
  setTransparent(true);
}

void VemoWebView::applySettings() {
  // The handlers belong to the web view, which a taken-over preparation
  // already set up: registering them again would dispatch every event twice.
  if (!handlersRegistered_) registerHandlers();
  WebEngine::Settings& settings = webview_->settings();
  settings.putIsScriptEnabled(true);
  settings.putAreDefaultScriptDialogsEnabled(true);
  settings.putIsWebMessageEnabled(true);
  if (userAgent_.empty()) userAgent_ = utf8_to_wstring(settings.userAgent() + " " + sdkUserAgentSuffix());
  std::string agent = wstring_to_utf8(userAgent_);
  settings.putUserAgent(agent);
  vemo_debug_printf("result ua:%s\n", agent.c_str());
  settings.putAreDevToolsEnabled(vemo_debug_enabled() != 0);
  settings.putIsReputationCheckingRequired(false);
}

void VemoWebView::registerHandlers() {
  handlersRegistered_ = true;
  WebViewSerial serial = serial_;
  tokens_.push_back(webview_->addNewWindowRequested([serial](WebEngine::NewWindowRequestedArgs& args) {
    args.handled = true;
    if (VemoWebView* host = live(serial, "NewWindowRequested"))
      if (host->webview_) host->webview_->navigate(args.uri);
  }));
  // Always there, asked on each change: an adopted host gets the page
  // options after its handlers.
  tokens_.push_back(webview_->addDocumentTitleChanged([serial](const std::string& title) {
    VemoWebView* host = live(serial, "DocumentTitleChanged");
    if (host && host->pageData_->options().showTitle)
      SetWindowTextW(host->parentWnd_, utf8_to_wstring(title).c_str());
  }));
  tokens_.push_back(webview_->addNavigationStarting([serial](WebEngine::NavigationStartingArgs& args) {
    if (VemoWebView* host = live(serial, "NavigationStarting")) host->onPageStart(args.uri);
  }));
  tokens_.push_back(webview_->addNavigationCompleted([serial](const WebEngine::NavigationCompletedArgs& args) {
    if (VemoWebView* host = live(serial, "NavigationCompleted")) host->onPageFinished(args);
  }));
  tokens_.push_back(webview_->addWebMessageReceived([serial](const WebEngine::WebMessageReceivedArgs& args) {
    if (VemoWebView* host = live(serial, "WebMessageReceived")) host->onWebMessage(args);
  }));
  tokens_.push_back(webview_->addDevToolsEventHandler("Network.loadingFailed", [serial](const std::string& params) {
    if (VemoWebView* host = live(serial, "Network.loadingFailed")) host->onLoadingFailed(params);
  }));
  tokens_.push_back(webview_->addDevToolsEventHandler("Console.messageAdded", [serial](const std::string& params) {
    if (VemoWebView* host = live(serial, "Console.messageAdded")) host->stats_.onConsoleMessage(params);
  }));
}

void VemoWebView::reportCreated(bool ok, int64_t code, const char* message) {
  hookCreated(ok ? 1 : 0);
  if (listener_) listener_->onWebViewCreated(ok);
  vemo_debug_printf("wv===>webview.init.end ok:%d code:%lld msg:%s\n", ok ? 1 : 0, static_cast<long long>(code),
                    message);
  stats_.onInitEnd(ok, code, message ? message : "");
}

void VemoWebView::fail(int32_t state, int64_t code, const char* message) {
  state_ = state;
  reportCreated(false, code, message);
}

HWND VemoWebView::pageWindow() const { return controller_ ? controller_->childWindow() : nullptr; }

void VemoWebView::setBounds(int left, int top, int right, int bottom) {
  bounds_ = RECT{left, top, right, bottom};
  if (controller_) controller_->putBounds(bounds_);
}

void VemoWebView::setTransparent(bool transparent) {
  if (!controller_) return;
  WebEngine::Color white;
  white.a = transparent ? 0 : 255;
  controller_->putDefaultBackgroundColor(white);
}

void VemoWebView::reload() {
  if (webview_ && state_ > kWebViewReady) webview_->reload();
}

void VemoWebView::suspend(bool suspended) {
  if (suspended) {
    if (webview_) webview_->putIsMuted(true);
    if (controller_) controller_->putIsVisible(false);
    if (!webview_) return;
    HRESULT result = webview_->trySuspend([](HRESULT code, bool done) {
      if (FAILED(code) || !done) vemo_debug_printf("TrySuspend result %s", SUCCEEDED(code) && done ? "succeeded" : "failed");
    });
    if (FAILED(result)) vemo_debug_print("TrySuspend failed");
    return;
  }
  if (controller_) controller_->putIsVisible(true);
  if (webview_) {
    webview_->resume();
    webview_->putIsMuted(false);
  }
}

}  // namespace VemoSDK
