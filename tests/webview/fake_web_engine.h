#pragma once
// A stand-in browser engine that records what a host asks of it and lets a
// test decide when each completion and event arrives.
#include "webview/engine/web_engine.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vemo::test {

using namespace VemoSDK::WebEngine;

class FakeSettings : public Settings {
public:
  bool isScriptEnabled() const override { return script; }
  void putIsScriptEnabled(bool on) override { script = on; }
  bool areDefaultScriptDialogsEnabled() const override { return dialogs; }
  void putAreDefaultScriptDialogsEnabled(bool on) override { dialogs = on; }
  bool isWebMessageEnabled() const override { return messages; }
  void putIsWebMessageEnabled(bool on) override { messages = on; }
  bool areDevToolsEnabled() const override { return devtools; }
  void putAreDevToolsEnabled(bool on) override { devtools = on; }
  bool isReputationCheckingRequired() const override { return reputation; }
  void putIsReputationCheckingRequired(bool on) override { reputation = on; }
  std::string userAgent() const override { return agent; }
  void putUserAgent(const std::string& value) override {
    agent = value;
    ++agentPuts;
  }
  bool script = false, dialogs = false, messages = false, devtools = false, reputation = true;
  std::string agent = "Mozilla/5.0 Fake";
  int agentPuts = 0;
};

class FakeWebView : public WebView {
public:
  HRESULT navigate(const std::string& uri) override;
  HRESULT stop() override;
  HRESULT reload() override { return S_OK; }
  std::string source() const override { return navigations.empty() ? "about:blank" : navigations.back(); }
  std::string documentTitle() const override { return ""; }
  HRESULT executeScript(const std::string& script, ScriptCompleted done) override;
  HRESULT addScriptToExecuteOnDocumentCreated(const std::string&, ScriptAddedCompleted) override { return S_OK; }
  Settings& settings() override { return settingsObject; }
  HRESULT trySuspend(SuspendCompleted) override { return S_OK; }
  HRESULT resume() override { return S_OK; }
  bool isSuspended() const override { return false; }
  void putIsMuted(bool value) override { muted = value; }
  bool isMuted() const override { return muted; }
  void addWebResourceRequestedFilter(const std::string& pattern) override { filters.push_back(pattern); }
  EventToken addNavigationStarting(std::function<void(NavigationStartingArgs&)> handler) override;
  EventToken addNavigationCompleted(std::function<void(const NavigationCompletedArgs&)> handler) override;
  EventToken addWebMessageReceived(std::function<void(const WebMessageReceivedArgs&)> handler) override;
  EventToken addNewWindowRequested(std::function<void(NewWindowRequestedArgs&)> handler) override;
  EventToken addDocumentTitleChanged(std::function<void(const std::string&)> handler) override;
  EventToken addWebResourceRequested(std::function<void(WebResourceRequestedArgs&)> handler) override;
  HRESULT callDevToolsMethod(const std::string& method, const std::string&, DevToolsCompleted) override {
    devToolsCalls.push_back(method);
    return S_OK;
  }
  EventToken addDevToolsEventHandler(const std::string& name, std::function<void(const std::string&)> handler) override;
  void removeHandler(EventToken token) override;

  // Test side: the events as the browser would raise them.
  void start(const std::string& uri);
  void complete(bool ok, int httpStatus, int webError);
  void postString(const std::string& text);
  void devToolsEvent(const std::string& name, const std::string& params);
  WebResourceRequestedArgs request(const std::string& uri);
  size_t handlerCount() const { return handlers.size(); }

  FakeSettings settingsObject;
  std::vector<std::string> navigations, scripts, filters, devToolsCalls;
  int stops = 0;
  bool muted = false;
  bool closed = false;

private:
  struct Handler {
    std::string kind;
    std::function<void(void*)> call;
  };
  EventToken add(const std::string& kind, std::function<void(void*)> call);
  void raise(const std::string& kind, void* args);
  EventToken nextToken_ = 1;
  std::map<EventToken, Handler> handlers;
};

class FakeController : public Controller {
public:
  FakeController() : view(std::make_shared<FakeWebView>()) {}
  std::shared_ptr<WebView> webView() override { return closed ? nullptr : view; }
  RECT bounds() const override { return boundsValue; }
  void putBounds(const RECT& value) override { boundsValue = value; }
  bool isVisible() const override { return visible; }
  void putIsVisible(bool value) override { visible = value; }
  Color defaultBackgroundColor() const override { return background; }
  void putDefaultBackgroundColor(Color color) override { background = color; }
  HWND childWindow() const override { return nullptr; }
  void close() override;

  std::shared_ptr<FakeWebView> view;
  RECT boundsValue = {};
  bool visible = true;
  Color background;
  bool closed = false;
  std::function<void()> onClose;  // what the test wants to see at close time
};

// The engine the host starts while one of these lives. Completions wait in
// a queue until the test runs them.
class FakeEngine {
public:
  FakeEngine();
  ~FakeEngine();
  static FakeEngine* current();

  // Runs waiting completions (each may queue more); returns how many ran.
  int runPending();
  void runOne();

  struct Start {
    std::wstring runtimeFolder, userDataFolder;
    std::string arguments;
  };
  std::vector<Start> starts;
  std::vector<std::shared_ptr<FakeController>> controllers;
  HRESULT startResult = S_OK;
  HRESULT environmentResult = S_OK;
  std::deque<std::function<void()>> pending;
};

}  // namespace vemo::test
