#include "webview/engine/devtools_page.h"

#include "core/debug_log.h"
#include "core/owners.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

using vemo::JsonPtr;

// Gives every document window.chrome.webview.postMessage (the message goes
// to the host as JSON text through the post binding), and reports each new
// document title through the title binding.
std::string bridgeScript() {
  return std::string("(function(){var post=window.") + kPostBinding + ",title=window." + kTitleBinding + ";" +
         "if(typeof post!=='function'||window.__vemoWebViewBridge)return;"
         "window.__vemoWebViewBridge=true;"
         "window.chrome=window.chrome||{};"
         "window.chrome.webview={postMessage:function(message){"
         "post(JSON.stringify(message===undefined?null:message));},"
         "addEventListener:function(){},removeEventListener:function(){}};"
         "if(typeof title!=='function')return;"
         "var last=null,check=function(){var t=document.title;if(t!==last){last=t;title(t);}};"
         "new MutationObserver(check).observe(document,{subtree:true,childList:true,characterData:true});"
         "document.addEventListener('DOMContentLoaded',check);check();"
         "})();";
}

JsonPtr object() { return JsonPtr(cJSON_CreateObject()); }

JsonPtr withString(const char* key, const std::string& value) {
  JsonPtr params = object();
  cJSON_AddStringToObject(params.get(), key, value.c_str());
  return params;
}

JsonPtr withBool(const char* key, bool value) {
  JsonPtr params = object();
  cJSON_AddBoolToObject(params.get(), key, value);
  return params;
}

}  // namespace

DevToolsPage::DevToolsPage(std::shared_ptr<DevToolsConnection> connection, std::string targetId,
                           std::string defaultUserAgent)
    : connection_(std::move(connection)), targetId_(std::move(targetId)), userAgent_(std::move(defaultUserAgent)) {}

DevToolsPage::~DevToolsPage() { detach(); }

void DevToolsPage::send(const std::string& method, JsonPtr params, DevToolsConnection::Reply reply) {
  if (!attached_) {
    if (reply) {
      connection_->poster()->post([reply] { reply(nullptr, "the web view is closed"); });
    }
    return;
  }
  connection_->call(sessionId_, method, std::move(params), std::move(reply));
}

void DevToolsPage::attach(const std::string& sessionId, std::function<void(const std::string& error)> ready) {
  sessionId_ = sessionId;
  attached_ = true;
  std::weak_ptr<DevToolsPage> weak = shared_from_this();
  connection_->setEventHandler(sessionId_, [weak](const std::string& method, const cJSON* params) {
    if (auto self = weak.lock()) self->onEvent(method, params);
  });
  // ready runs once every set-up call has answered, with the first error.
  struct SetUp {
    int left = 0;
    std::string error;
    std::function<void(const std::string&)> ready;
  };
  auto setUp = std::make_shared<SetUp>();
  setUp->ready = std::move(ready);
  auto step = [this, setUp](const char* method, JsonPtr params) {
    ++setUp->left;
    send(method, std::move(params), [setUp, method](const cJSON*, const std::string& error) {
      if (!error.empty() && setUp->error.empty()) setUp->error = std::string(method) + ": " + error;
      if (--setUp->left == 0) setUp->ready(setUp->error);
    });
  };
  step("Page.enable", nullptr);
  step("Network.enable", nullptr);
  step("Runtime.enable", nullptr);
  step("Runtime.addBinding", withString("name", kPostBinding));
  step("Runtime.addBinding", withString("name", kTitleBinding));
  step("Page.addScriptToEvaluateOnNewDocument", withString("source", bridgeScript()));
  step("Runtime.evaluate", withString("expression", bridgeScript()));
  // Input and page focus behave as in a focused window although no browser
  // window is shown.
  step("Emulation.setFocusEmulationEnabled", withBool("enabled", true));
}

void DevToolsPage::detach() {
  if (!attached_) return;
  attached_ = false;
  connection_->removeEventHandler(sessionId_);
  navigationStarting_.clear();
  navigationCompleted_.clear();
  webMessage_.clear();
  newWindow_.clear();
  titleChanged_.clear();
  resourceRequested_.clear();
  // The lists stay in place: one of them may be running the handler that closed the page.
  for (auto& entry : devToolsEvents_) entry.second.clear();
  frameSink_ = nullptr;
  loadedSink_ = nullptr;
}

void DevToolsPage::closeTarget() {
  if (attached_) connection_->call(std::string(), "Target.closeTarget", withString("targetId", targetId_));
}

HRESULT DevToolsPage::navigate(const std::string& uri) {
  if (!attached_) return E_FAIL;
  if (uri.empty()) return E_INVALIDARG;
  send("Page.navigate", withString("url", uri), [uri](const cJSON*, const std::string& error) {
    if (!error.empty()) vemo_debug_printf("web engine: navigation to %s refused: %s\n", uri.c_str(), error.c_str());
  });
  return S_OK;
}

HRESULT DevToolsPage::stop() {
  if (!attached_) return E_FAIL;
  send("Page.stopLoading", nullptr);
  return S_OK;
}

HRESULT DevToolsPage::reload() {
  if (!attached_) return E_FAIL;
  send("Page.reload", nullptr);
  return S_OK;
}

HRESULT DevToolsPage::executeScript(const std::string& script, ScriptCompleted done) {
  if (!attached_) return E_FAIL;
  JsonPtr params = withString("expression", script);
  cJSON_AddBoolToObject(params.get(), "returnByValue", true);
  send("Runtime.evaluate", std::move(params), [done](const cJSON* result, const std::string& error) {
    if (!done) return;
    if (!error.empty() || cJSON_GetObjectItemCaseSensitive(result, "exceptionDetails")) {
      done(E_FAIL, "null");
      return;
    }
    const cJSON* value = cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(result, "result"), "value");
    // Undefined, NaN and the infinities have no JSON form.
    done(S_OK, value ? vemo::print_json(value) : "null");
  });
  return S_OK;
}

HRESULT DevToolsPage::addScriptToExecuteOnDocumentCreated(const std::string& script, ScriptAddedCompleted done) {
  if (!attached_) return E_FAIL;
  send("Page.addScriptToEvaluateOnNewDocument", withString("source", script),
       [done](const cJSON* result, const std::string& error) {
         if (!done) return;
         const cJSON* id = cJSON_GetObjectItemCaseSensitive(result, "identifier");
         if (!error.empty() || !cJSON_IsString(id)) {
           done(E_FAIL, "");
           return;
         }
         done(S_OK, id->valuestring);
       });
  return S_OK;
}

HRESULT DevToolsPage::trySuspend(SuspendCompleted done) {
  if (!attached_) return E_FAIL;
  std::weak_ptr<DevToolsPage> weak = shared_from_this();
  send("Page.setWebLifecycleState", withString("state", "frozen"),
       [weak, done](const cJSON*, const std::string& error) {
         auto self = weak.lock();
         if (self && error.empty()) self->suspended_ = true;
         if (done) done(S_OK, self && error.empty());
       });
  return S_OK;
}

HRESULT DevToolsPage::resume() {
  if (!attached_) return E_FAIL;
  suspended_ = false;
  send("Page.setWebLifecycleState", withString("state", "active"));
  return S_OK;
}

void DevToolsPage::addWebResourceRequestedFilter(const std::string& uriPattern) {
  resourceFilters_.push_back(uriPattern);
  JsonPtr params = object();
  cJSON* patterns = cJSON_AddArrayToObject(params.get(), "patterns");
  for (const std::string& filter : resourceFilters_) {
    cJSON* pattern = cJSON_CreateObject();
    cJSON_AddStringToObject(pattern, "urlPattern", filter.c_str());
    cJSON_AddItemToArray(patterns, pattern);
  }
  send("Fetch.enable", std::move(params));
}

void DevToolsPage::putIsScriptEnabled(bool on) {
  scriptEnabled_ = on;
  send("Emulation.setScriptExecutionDisabled", withBool("value", !on));
}

void DevToolsPage::putUserAgent(const std::string& agent) {
  userAgent_ = agent;
  send("Emulation.setUserAgentOverride", withString("userAgent", agent));
}

EventToken DevToolsPage::addNavigationStarting(std::function<void(NavigationStartingArgs&)> handler) {
  const EventToken token = nextToken();
  navigationStarting_.add(token, std::move(handler));
  return token;
}

EventToken DevToolsPage::addNavigationCompleted(std::function<void(const NavigationCompletedArgs&)> handler) {
  const EventToken token = nextToken();
  navigationCompleted_.add(token, std::move(handler));
  return token;
}

EventToken DevToolsPage::addWebMessageReceived(std::function<void(const WebMessageReceivedArgs&)> handler) {
  const EventToken token = nextToken();
  webMessage_.add(token, std::move(handler));
  return token;
}

EventToken DevToolsPage::addNewWindowRequested(std::function<void(NewWindowRequestedArgs&)> handler) {
  const EventToken token = nextToken();
  newWindow_.add(token, std::move(handler));
  return token;
}

EventToken DevToolsPage::addDocumentTitleChanged(std::function<void(const std::string& title)> handler) {
  const EventToken token = nextToken();
  titleChanged_.add(token, std::move(handler));
  return token;
}

EventToken DevToolsPage::addWebResourceRequested(std::function<void(WebResourceRequestedArgs&)> handler) {
  const EventToken token = nextToken();
  resourceRequested_.add(token, std::move(handler));
  return token;
}

HRESULT DevToolsPage::callDevToolsMethod(const std::string& method, const std::string& paramsJson,
                                         DevToolsCompleted done) {
  if (!attached_) return E_FAIL;
  JsonPtr params(cJSON_Parse(paramsJson.empty() ? "{}" : paramsJson.c_str()));
  if (!cJSON_IsObject(params.get()) || method.empty()) return E_INVALIDARG;
  send(method, std::move(params), [done](const cJSON* result, const std::string& error) {
    if (!done) return;
    if (!error.empty()) {
      JsonPtr failure = withString("message", error);
      done(E_FAIL, vemo::print_json(failure.get()));
      return;
    }
    done(S_OK, result ? vemo::print_json(result) : "{}");
  });
  return S_OK;
}

EventToken DevToolsPage::addDevToolsEventHandler(const std::string& eventName,
                                                 std::function<void(const std::string& paramsJson)> handler) {
  const EventToken token = nextToken();
  devToolsEvents_[eventName].add(token, std::move(handler));
  return token;
}

void DevToolsPage::removeHandler(EventToken token) {
  if (navigationStarting_.remove(token) || navigationCompleted_.remove(token) || webMessage_.remove(token) ||
      newWindow_.remove(token) || titleChanged_.remove(token) || resourceRequested_.remove(token))
    return;
  for (auto& entry : devToolsEvents_)
    if (entry.second.remove(token)) return;
}

}  // namespace WebEngine
}  // namespace VemoSDK
