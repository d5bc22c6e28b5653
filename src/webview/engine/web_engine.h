#pragma once
// The browser engine behind every web view: an environment, a controller on a
// parent window and the web view inside it. The objects keep the shape the
// host needs (asynchronous completions, event registrations with tokens,
// DevTools methods and events); the back end that runs them drives a real
// Chromium over its DevTools protocol.
//
// How to use it
// - Threads: call everything on one UI thread, the thread that owns the
//   parent window and runs a message loop. Every completion and every event
//   handler runs later on that same thread, from that loop (never inside the
//   call that starts it). Handlers may call back into the engine.
// - Start: createEnvironment(runtimeFolder, userDataFolder, options, done).
//   A failure to start returns a negative HRESULT at once (done is not
//   called); later failures reach done with a negative HRESULT and no
//   environment. Each failure writes one debug log line that says why.
//   Then environment->createController(parent, done) gives the controller;
//   controller->webView() the web view. No navigation happens until
//   navigate() is called; the first document is "about:blank".
// - Lifetime: the objects are shared pointers. Controller::close() (or the
//   last reference going) closes the page; calls on a closed web view return
//   E_FAIL and its handlers run no more. Handlers capture what they need
//   weakly: a handler that owns its controller keeps the page open.
// - Events: each add...() returns a token (never 0); removeHandler(token)
//   unregisters it. Handlers of one event run in registration order.
// - Texts are UTF-8. Scripts' results and DevTools parameters are JSON text.
//
// Where the browser is found
// - runtimeFolder (the folder WebViewRuntimeDiscovery::folder names) holds
//   "devtools_endpoint.txt": one line "127.0.0.1:<port>" of a running
//   browser's DevTools endpoint (no other host is accepted), and an empty
//   "<browser version>.manifest" naming the browser version, as a runtime
//   folder does. scripts/run and the test fixture start the browser and write
//   both files. No file, a bad line or no browser listening: creation fails.
// - userDataFolder gets a browser context of its own per environment (its own
//   cookies and storage); the browser's profile folder is the one it was
//   started with. Browser arguments in the options cannot change the running
//   browser and are logged only.
//
// The page side
// - window.chrome.webview.postMessage(text) in every document reaches
//   addWebMessageReceived while the web-message switch is on.
// - addWebResourceRequestedFilter("file:///VemoOfflineRedirect/*") routes
//   matching requests to addWebResourceRequested; a handler that sets
//   args.response answers the request with it, otherwise the request goes on
//   to the network unchanged.
// - The page is painted into the controller's child window at its bounds,
//   and the mouse, wheel and keyboard input of that window reach the page.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace VemoSDK {
namespace WebEngine {

// Name of the endpoint file in the runtime folder.
constexpr const wchar_t* kEndpointFileName = L"devtools_endpoint.txt";

using EventToken = std::int64_t;
using HeaderList = std::vector<std::pair<std::string, std::string>>;

// Why a navigation failed; the values are the ones the host's error table uses.
enum WebErrorStatus : int {
  kWebErrorUnknown = 0,
  kWebErrorCertificateCommonNameIsIncorrect = 1,
  kWebErrorCertificateExpired = 2,
  kWebErrorClientCertificateContainsErrors = 3,
  kWebErrorCertificateRevoked = 4,
  kWebErrorCertificateIsInvalid = 5,
  kWebErrorServerUnreachable = 6,
  kWebErrorTimeout = 7,
  kWebErrorHttpInvalidServerResponse = 8,
  kWebErrorConnectionAborted = 9,
  kWebErrorConnectionReset = 10,
  kWebErrorDisconnected = 11,
  kWebErrorCannotConnect = 12,
  kWebErrorHostNameNotResolved = 13,
  kWebErrorOperationCanceled = 14,
  kWebErrorRedirectFailed = 15,
  kWebErrorUnexpectedError = 16,
};

struct Color {
  BYTE a = 255, r = 255, g = 255, b = 255;
};

struct EnvironmentOptions {
  std::string additionalBrowserArguments;
};

struct NavigationStartingArgs {
  std::string uri;
  std::uint64_t navigationId = 0;
};

// A main document answered with an HTTP status of 400 or more completes
// with isSuccess false, that status and kWebErrorUnknown; a navigation
// replaced by another or stopped completes with kWebErrorConnectionAborted.
struct NavigationCompletedArgs {
  std::uint64_t navigationId = 0;
  bool isSuccess = false;
  int httpStatusCode = 0;  // of the main document; 0 when none arrived
  int webErrorStatus = kWebErrorUnknown;
};

struct WebMessageReceivedArgs {
  std::string source;  // URL of the document that posted
  std::string json;    // the message as JSON (a string message is a JSON string)
  bool isString = false;
  std::string text;    // the message itself when isString
};

// A page asked for a new window (window.open, target="_blank"). The new
// window is never shown here: the browser's one is closed, and the handlers
// decide what to do with the URI (navigate this web view to it, say).
struct NewWindowRequestedArgs {
  std::string uri;
  bool handled = false;
};

struct WebResourceRequest {
  std::string uri;
  std::string method;
  HeaderList headers;
};

struct WebResourceResponse {
  int statusCode = 200;
  std::string reasonPhrase;
  HeaderList headers;
  std::string body;  // bytes
};

struct WebResourceRequestedArgs {
  WebResourceRequest request;
  std::optional<WebResourceResponse> response;  // set to answer the request
};

using ScriptCompleted = std::function<void(HRESULT, const std::string& resultJson)>;
using DevToolsCompleted = std::function<void(HRESULT, const std::string& resultJson)>;
using ScriptAddedCompleted = std::function<void(HRESULT, const std::string& scriptId)>;
using SuspendCompleted = std::function<void(HRESULT, bool suspended)>;

// Switches of one web view; each takes effect for the next document at the
// latest. The user agent reads the browser's own until one is put.
class Settings {
public:
  virtual ~Settings() = default;
  virtual bool isScriptEnabled() const = 0;
  virtual void putIsScriptEnabled(bool on) = 0;
  virtual bool areDefaultScriptDialogsEnabled() const = 0;
  virtual void putAreDefaultScriptDialogsEnabled(bool on) = 0;
  virtual bool isWebMessageEnabled() const = 0;
  virtual void putIsWebMessageEnabled(bool on) = 0;
  virtual bool areDevToolsEnabled() const = 0;
  virtual void putAreDevToolsEnabled(bool on) = 0;  // recorded
  virtual bool isReputationCheckingRequired() const = 0;
  virtual void putIsReputationCheckingRequired(bool on) = 0;  // recorded
  virtual std::string userAgent() const = 0;
  virtual void putUserAgent(const std::string& agent) = 0;
};

class WebView {
public:
  virtual ~WebView() = default;

  virtual HRESULT navigate(const std::string& uri) = 0;
  virtual HRESULT stop() = 0;
  virtual HRESULT reload() = 0;
  virtual std::string source() const = 0;          // URL of the current document
  virtual std::string documentTitle() const = 0;

  // The script's completion value as JSON text ("null" for undefined); a
  // script that throws completes with E_FAIL.
  virtual HRESULT executeScript(const std::string& script, ScriptCompleted done) = 0;
  virtual HRESULT addScriptToExecuteOnDocumentCreated(const std::string& script,
                                                      ScriptAddedCompleted done) = 0;
  virtual Settings& settings() = 0;

  virtual HRESULT trySuspend(SuspendCompleted done) = 0;
  virtual HRESULT resume() = 0;
  virtual bool isSuspended() const = 0;
  virtual void putIsMuted(bool muted) = 0;  // recorded; this browser plays no sound
  virtual bool isMuted() const = 0;

  // "*" in the pattern matches any run of characters.
  virtual void addWebResourceRequestedFilter(const std::string& uriPattern) = 0;

  virtual EventToken addNavigationStarting(std::function<void(NavigationStartingArgs&)> handler) = 0;
  virtual EventToken addNavigationCompleted(std::function<void(const NavigationCompletedArgs&)> handler) = 0;
  virtual EventToken addWebMessageReceived(std::function<void(const WebMessageReceivedArgs&)> handler) = 0;
  virtual EventToken addNewWindowRequested(std::function<void(NewWindowRequestedArgs&)> handler) = 0;
  virtual EventToken addDocumentTitleChanged(std::function<void(const std::string& title)> handler) = 0;
  virtual EventToken addWebResourceRequested(std::function<void(WebResourceRequestedArgs&)> handler) = 0;
  // DevTools: any method of the page's session by name with JSON parameters
  // (result or error as JSON text); any event of the session by name with its
  // parameters as JSON ("Network.loadingFailed", "Console.messageAdded" after
  // "Network.enable" / "Console.enable"; this browser still sends the
  // latter for console messages).
  virtual HRESULT callDevToolsMethod(const std::string& method, const std::string& paramsJson,
                                     DevToolsCompleted done) = 0;
  virtual EventToken addDevToolsEventHandler(const std::string& eventName,
                                             std::function<void(const std::string& paramsJson)> handler) = 0;
  virtual void removeHandler(EventToken token) = 0;
};

class Controller {
public:
  virtual ~Controller() = default;
  virtual std::shared_ptr<WebView> webView() = 0;  // null once closed
  virtual RECT bounds() const = 0;                  // parent client coordinates
  virtual void putBounds(const RECT& bounds) = 0;
  virtual bool isVisible() const = 0;
  virtual void putIsVisible(bool visible) = 0;
  virtual Color defaultBackgroundColor() const = 0;
  virtual void putDefaultBackgroundColor(Color color) = 0;
  virtual HWND childWindow() const = 0;  // the window the page is painted into
  virtual void close() = 0;
};

using ControllerCompleted = std::function<void(HRESULT, std::shared_ptr<Controller>)>;

class Environment {
public:
  virtual ~Environment() = default;
  virtual std::string browserVersion() const = 0;  // e.g. "156.0.8078.129"
  // The parent must belong to the calling thread.
  virtual HRESULT createController(HWND parent, ControllerCompleted done) = 0;
};

using EnvironmentCompleted = std::function<void(HRESULT, std::shared_ptr<Environment>)>;

HRESULT createEnvironment(const std::wstring& runtimeFolder, const std::wstring& userDataFolder,
                          const EnvironmentOptions& options, EnvironmentCompleted done);

}  // namespace WebEngine
}  // namespace VemoSDK
