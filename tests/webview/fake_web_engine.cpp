#include "fake_web_engine.h"

#include "webview/web_engine_entry.h"

namespace vemo::test {
namespace {

FakeEngine* g_engine = nullptr;

class FakeEnvironment : public Environment {
public:
  std::string browserVersion() const override { return "1.0.0.0"; }
  HRESULT createController(HWND, ControllerCompleted done) override {
    FakeEngine* engine = FakeEngine::current();
    auto controller = std::make_shared<FakeController>();
    engine->controllers.push_back(controller);
    engine->pending.push_back([done, controller] { done(S_OK, controller); });
    return S_OK;
  }
};

HRESULT fakeStart(const std::wstring& runtimeFolder, const std::wstring& userDataFolder,
                  const EnvironmentOptions& options, EnvironmentCompleted done) {
  FakeEngine* engine = FakeEngine::current();
  engine->starts.push_back({runtimeFolder, userDataFolder, options.additionalBrowserArguments});
  if (FAILED(engine->startResult)) return engine->startResult;
  HRESULT result = engine->environmentResult;
  engine->pending.push_back([done, result] {
    done(result, SUCCEEDED(result) ? std::make_shared<FakeEnvironment>() : nullptr);
  });
  return S_OK;
}

}  // namespace

FakeEngine::FakeEngine() {
  g_engine = this;
  VemoSDK::setEnvironmentStarter(fakeStart);
}

FakeEngine::~FakeEngine() {
  VemoSDK::setEnvironmentStarter(nullptr);
  g_engine = nullptr;
}

FakeEngine* FakeEngine::current() { return g_engine; }

void FakeEngine::runOne() {
  if (pending.empty()) return;
  std::function<void()> next = std::move(pending.front());
  pending.pop_front();
  next();
}

int FakeEngine::runPending() {
  int count = 0;
  while (!pending.empty()) {
    runOne();
    ++count;
  }
  return count;
}

void FakeController::close() {
  if (onClose) onClose();
  closed = true;
  view->closed = true;
}

HRESULT FakeWebView::navigate(const std::string& uri) {
  if (closed) return E_FAIL;
  navigations.push_back(uri);
  return S_OK;
}

HRESULT FakeWebView::stop() {
  ++stops;
  return S_OK;
}

HRESULT FakeWebView::executeScript(const std::string& script, ScriptCompleted done) {
  if (closed) return E_FAIL;
  scripts.push_back(script);
  if (done && FakeEngine::current()) FakeEngine::current()->pending.push_back([done] { done(S_OK, "null"); });
  return S_OK;
}

EventToken FakeWebView::add(const std::string& kind, std::function<void(void*)> call) {
  EventToken token = nextToken_++;
  handlers[token] = Handler{kind, std::move(call)};
  return token;
}

void FakeWebView::raise(const std::string& kind, void* args) {
  if (closed) return;
  std::vector<std::function<void(void*)>> calls;
  for (auto& entry : handlers)
    if (entry.second.kind == kind) calls.push_back(entry.second.call);
  for (auto& call : calls) call(args);
}

EventToken FakeWebView::addNavigationStarting(std::function<void(NavigationStartingArgs&)> handler) {
  return add("start", [handler](void* args) { handler(*static_cast<NavigationStartingArgs*>(args)); });
}
EventToken FakeWebView::addNavigationCompleted(std::function<void(const NavigationCompletedArgs&)> handler) {
  return add("complete", [handler](void* args) { handler(*static_cast<NavigationCompletedArgs*>(args)); });
}
EventToken FakeWebView::addWebMessageReceived(std::function<void(const WebMessageReceivedArgs&)> handler) {
  return add("message", [handler](void* args) { handler(*static_cast<WebMessageReceivedArgs*>(args)); });
}
EventToken FakeWebView::addNewWindowRequested(std::function<void(NewWindowRequestedArgs&)> handler) {
  return add("newwindow", [handler](void* args) { handler(*static_cast<NewWindowRequestedArgs*>(args)); });
}
EventToken FakeWebView::addDocumentTitleChanged(std::function<void(const std::string&)> handler) {
  return add("title", [handler](void* args) { handler(*static_cast<std::string*>(args)); });
}
EventToken FakeWebView::addWebResourceRequested(std::function<void(WebResourceRequestedArgs&)> handler) {
  return add("resource", [handler](void* args) { handler(*static_cast<WebResourceRequestedArgs*>(args)); });
}
EventToken FakeWebView::addDevToolsEventHandler(const std::string& name, std::function<void(const std::string&)> handler) {
  return add("devtools:" + name, [handler](void* args) { handler(*static_cast<std::string*>(args)); });
}
void FakeWebView::removeHandler(EventToken token) { handlers.erase(token); }

void FakeWebView::start(const std::string& uri) {
  NavigationStartingArgs args;
  args.uri = uri;
  raise("start", &args);
}

void FakeWebView::complete(bool ok, int httpStatus, int webError) {
  NavigationCompletedArgs args;
  args.isSuccess = ok;
  args.httpStatusCode = httpStatus;
  args.webErrorStatus = webError;
  raise("complete", &args);
}

void FakeWebView::postString(const std::string& text) {
  WebMessageReceivedArgs args;
  args.isString = true;
  args.text = text;
  raise("message", &args);
}

void FakeWebView::devToolsEvent(const std::string& name, const std::string& params) {
  std::string copy = params;
  raise("devtools:" + name, &copy);
}

WebResourceRequestedArgs FakeWebView::request(const std::string& uri) {
  WebResourceRequestedArgs args;
  args.request.uri = uri;
  raise("resource", &args);
  return args;
}

}  // namespace vemo::test
