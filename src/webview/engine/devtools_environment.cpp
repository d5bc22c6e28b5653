#include "webview/engine/devtools_environment.h"

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/owners.h"
#include "webview/engine/devtools_controller.h"
#include "webview/engine/page_window.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

using vemo::JsonPtr;

}  // namespace

void BrowserTargets::onEvent(DevToolsConnection& connection, const std::string& method, const cJSON* params) {
  const cJSON* info = cJSON_GetObjectItemCaseSensitive(params, "targetInfo");
  if (method == "Target.targetCreated") {
    // A window one of our pages opened is never shown: the page's own
    // new-window event has told the host where it wanted to go.
    auto opener = pages_.find(json_string_or_empty(info, "openerId"));
    if (opener != pages_.end() && !opener->second.expired() && json_string_or_empty(info, "type") == "page") {
      JsonPtr close(cJSON_CreateObject());
      cJSON_AddStringToObject(close.get(), "targetId", json_string_or_empty(info, "targetId").c_str());
      connection.call(std::string(), "Target.closeTarget", std::move(close));
    }
  } else if (method == "Target.targetDestroyed") {
    pages_.erase(json_string_or_empty(params, "targetId"));
  }
}

DevToolsEnvironment::DevToolsEnvironment(std::shared_ptr<DevToolsConnection> connection,
                                         std::string browserContextId, std::string version, std::string userAgent,
                                         std::shared_ptr<BrowserTargets> targets)
    : connection_(std::move(connection)),
      browserContextId_(std::move(browserContextId)),
      version_(std::move(version)),
      userAgent_(std::move(userAgent)),
      targets_(std::move(targets)) {}

HRESULT DevToolsEnvironment::createController(HWND parent, ControllerCompleted done) {
  if (!IsWindow(parent) || GetWindowThreadProcessId(parent, nullptr) != GetCurrentThreadId()) {
    vemo_debug_printf("web engine: a controller needs a parent window of the calling thread\n");
    return E_INVALIDARG;
  }
  if (!connection_->isOpen()) {
    vemo_debug_printf("web engine: the browser connection is closed\n");
    return E_FAIL;
  }
  RECT bounds{};
  GetClientRect(parent, &bounds);

  JsonPtr params(cJSON_CreateObject());
  cJSON_AddStringToObject(params.get(), "url", "about:blank");
  if (!browserContextId_.empty()) cJSON_AddStringToObject(params.get(), "browserContextId", browserContextId_.c_str());
  auto connection = connection_;
  auto targets = targets_;
  const std::string userAgent = userAgent_;
  auto fail = [done](HRESULT code, const std::string& why) {
    vemo_debug_printf("web engine: no controller: %s\n", why.c_str());
    if (done) done(code, nullptr);
  };
  connection_->call(std::string(), "Target.createTarget", std::move(params),
                    [=](const cJSON* result, const std::string& error) {
    const std::string targetId = json_string_or_empty(result, "targetId");
    if (!error.empty() || targetId.empty()) return fail(E_FAIL, "the browser made no page: " + error);
    if (!IsWindow(parent)) {
      JsonPtr close(cJSON_CreateObject());
      cJSON_AddStringToObject(close.get(), "targetId", targetId.c_str());
      connection->call(std::string(), "Target.closeTarget", std::move(close));
      return fail(HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE), "the parent window is gone");
    }
    auto page = std::make_shared<DevToolsPage>(connection, targetId, userAgent);
    std::weak_ptr<DevToolsPage> weakPage = page;
    std::unique_ptr<PageWindow> window =
        PageWindow::create(parent, bounds, [weakPage](const char* method, JsonPtr input) {
          if (auto self = weakPage.lock()) self->send(method, std::move(input));
        });
    if (!window) {
      JsonPtr close(cJSON_CreateObject());
      cJSON_AddStringToObject(close.get(), "targetId", targetId.c_str());
      connection->call(std::string(), "Target.closeTarget", std::move(close));
      return fail(E_FAIL, "no child window on the parent");
    }
    targets->add(targetId, page);
    auto controller = std::make_shared<DevToolsController>(page, std::move(window), bounds);
    JsonPtr attach(cJSON_CreateObject());
    cJSON_AddStringToObject(attach.get(), "targetId", targetId.c_str());
    cJSON_AddBoolToObject(attach.get(), "flatten", true);
    connection->call(std::string(), "Target.attachToTarget", std::move(attach),
                     [=](const cJSON* attached, const std::string& attachError) {
      const std::string sessionId = json_string_or_empty(attached, "sessionId");
      if (!attachError.empty() || sessionId.empty()) {
        controller->close();
        return fail(E_FAIL, "the page could not be attached: " + attachError);
      }
      page->attach(sessionId, [=](const std::string& setUpError) {
        if (!setUpError.empty()) {
          controller->close();
          return fail(E_FAIL, "the page could not be set up: " + setUpError);
        }
        controller->start();
        if (done) done(S_OK, controller);
      });
    });
  });
  return S_OK;
}

}  // namespace WebEngine
}  // namespace VemoSDK
