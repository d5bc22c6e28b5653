#pragma once
// A web view as one browser page (target) driven through its DevTools
// session: navigation, scripts, settings, the page bridge, the resource
// filter, lifecycle and the events the host listens to. UI thread only.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/owners.h"
#include "webview/engine/devtools_connection.h"
#include "webview/engine/event_handlers.h"
#include "webview/engine/navigation_tracker.h"
#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

// The page functions through which the bridge script reports to the engine.
constexpr const char* kPostBinding = "__vemoWebViewPost";
constexpr const char* kTitleBinding = "__vemoWebViewTitle";

class DevToolsPage : public WebView, public Settings, public std::enable_shared_from_this<DevToolsPage> {
public:
  DevToolsPage(std::shared_ptr<DevToolsConnection> connection, std::string targetId, std::string defaultUserAgent);
  ~DevToolsPage() override;

  // Subscribes to the session and sets up the page; ready runs after the
  // last set-up call came back (error empty on success).
  void attach(const std::string& sessionId, std::function<void(const std::string& error)> ready);
  void detach();  // the page is closed: no more calls or events
  void closeTarget();  // closes the browser's page
  const std::string& targetId() const { return targetId_; }
  // Sends a method of this page's session; nothing once detached.
  void send(const std::string& method, vemo::JsonPtr params, DevToolsConnection::Reply reply = nullptr);

  // From the browser's target events.
  void titleChanged(const std::string& title);
  // Screencast frames (decoded picture bytes) go here; the controller paints them.
  void setFrameSink(std::function<void(const std::string& imageBytes)> sink) { frameSink_ = std::move(sink); }
  // The main frame finished loading a document.
  void setLoadedSink(std::function<void()> sink) { loadedSink_ = std::move(sink); }

  // WebView
  HRESULT navigate(const std::string& uri) override;
  HRESULT stop() override;
  HRESULT reload() override;
  std::string source() const override { return url_; }
  std::string documentTitle() const override { return title_; }
  HRESULT executeScript(const std::string& script, ScriptCompleted done) override;
  HRESULT addScriptToExecuteOnDocumentCreated(const std::string& script, ScriptAddedCompleted done) override;
  Settings& settings() override { return *this; }
  HRESULT trySuspend(SuspendCompleted done) override;
  HRESULT resume() override;
  bool isSuspended() const override { return suspended_; }
  void putIsMuted(bool muted) override { muted_ = muted; }
  bool isMuted() const override { return muted_; }
  void addWebResourceRequestedFilter(const std::string& uriPattern) override;
  EventToken addNavigationStarting(std::function<void(NavigationStartingArgs&)> handler) override;
  EventToken addNavigationCompleted(std::function<void(const NavigationCompletedArgs&)> handler) override;
  EventToken addWebMessageReceived(std::function<void(const WebMessageReceivedArgs&)> handler) override;
  EventToken addNewWindowRequested(std::function<void(NewWindowRequestedArgs&)> handler) override;
  EventToken addDocumentTitleChanged(std::function<void(const std::string& title)> handler) override;
  EventToken addWebResourceRequested(std::function<void(WebResourceRequestedArgs&)> handler) override;
  HRESULT callDevToolsMethod(const std::string& method, const std::string& paramsJson,
                             DevToolsCompleted done) override;
  EventToken addDevToolsEventHandler(const std::string& eventName,
                                     std::function<void(const std::string& paramsJson)> handler) override;
  void removeHandler(EventToken token) override;

  // Settings
  bool isScriptEnabled() const override { return scriptEnabled_; }
  void putIsScriptEnabled(bool on) override;
  bool areDefaultScriptDialogsEnabled() const override { return dialogsEnabled_; }
  void putAreDefaultScriptDialogsEnabled(bool on) override { dialogsEnabled_ = on; }
  bool isWebMessageEnabled() const override { return webMessageEnabled_; }
  void putIsWebMessageEnabled(bool on) override { webMessageEnabled_ = on; }
  bool areDevToolsEnabled() const override { return devToolsEnabled_; }
  void putAreDevToolsEnabled(bool on) override { devToolsEnabled_ = on; }
  bool isReputationCheckingRequired() const override { return reputationChecking_; }
  void putIsReputationCheckingRequired(bool on) override { reputationChecking_ = on; }
  std::string userAgent() const override { return userAgent_; }
  void putUserAgent(const std::string& agent) override;

private:
  void onEvent(const std::string& method, const cJSON* params);
  void onFrameStartedNavigating(const cJSON* params);
  void onFrameNavigated(const cJSON* params);
  void onRequestPaused(const cJSON* params);
  void onBindingCalled(const cJSON* params);
  void onDialogOpening(const cJSON* params);
  void onScreencastFrame(const cJSON* params);
  void complete(const NavigationCompletedArgs& args);
  EventToken nextToken() { return ++lastToken_; }

  std::shared_ptr<DevToolsConnection> connection_;
  std::string targetId_;
  std::string sessionId_;
  bool attached_ = false;

  std::string url_ = "about:blank";
  std::string title_;
  NavigationTracker navigation_;

  bool scriptEnabled_ = true;
  bool dialogsEnabled_ = true;
  bool webMessageEnabled_ = true;
  bool devToolsEnabled_ = true;
  bool reputationChecking_ = true;
  std::string userAgent_;
  bool suspended_ = false;
  bool muted_ = false;
  std::vector<std::string> resourceFilters_;

  EventToken lastToken_ = 0;
  EventHandlers<NavigationStartingArgs&> navigationStarting_;
  EventHandlers<const NavigationCompletedArgs&> navigationCompleted_;
  EventHandlers<const WebMessageReceivedArgs&> webMessage_;
  EventHandlers<NewWindowRequestedArgs&> newWindow_;
  EventHandlers<const std::string&> titleChanged_;
  EventHandlers<WebResourceRequestedArgs&> resourceRequested_;
  std::map<std::string, EventHandlers<const std::string&>> devToolsEvents_;

  std::function<void(const std::string&)> frameSink_;
  std::function<void()> loadedSink_;
};

}  // namespace WebEngine
}  // namespace VemoSDK
