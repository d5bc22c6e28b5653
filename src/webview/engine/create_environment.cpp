// Entry point of the engine: finds the browser, connects to it and makes
// the environment's browser context.
#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/owners.h"
#include "core/text_convert.h"
#include "webview/engine/devtools_endpoint.h"
#include "webview/engine/devtools_environment.h"
#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

using vemo::JsonPtr;

// "HeadlessChrome/156.0.8078.129" -> "156.0.8078.129"
std::string versionOf(const std::string& product) {
  const size_t slash = product.find('/');
  return slash == std::string::npos ? product : product.substr(slash + 1);
}

}  // namespace

HRESULT createEnvironment(const std::wstring& runtimeFolder, const std::wstring& userDataFolder,
                          const EnvironmentOptions& options, EnvironmentCompleted done) {
  DevToolsEndpoint endpoint;
  std::string why;
  if (!readDevToolsEndpoint(runtimeFolder, endpoint, why)) {
    vemo_debug_printf("web engine: no browser engine available: %s\n", why.c_str());
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }
  std::shared_ptr<UiThreadPoster> poster = UiThreadPoster::forCurrentThread();
  if (!poster) return E_FAIL;
  if (!options.additionalBrowserArguments.empty())
    vemo_debug_printf("web engine: the running browser keeps its own arguments; not applied: %s\n",
                      options.additionalBrowserArguments.c_str());

  auto fail = [poster, done](const std::string& reason) {
    vemo_debug_printf("web engine: no browser engine available: %s\n", reason.c_str());
    poster->post([done] {
      if (done) done(HRESULT_FROM_WIN32(ERROR_CONNECTION_REFUSED), nullptr);
    });
    return S_OK;
  };
  std::string socketUrl, product;
  if (!fetchBrowserSocketUrl(endpoint, socketUrl, product, why)) return fail(why);
  std::shared_ptr<DevToolsConnection> connection = DevToolsConnection::open(socketUrl, poster, why);
  if (!connection) return fail(why);

  auto targets = std::make_shared<BrowserTargets>();
  std::weak_ptr<DevToolsConnection> weak = connection;
  connection->setEventHandler(std::string(), [weak, targets](const std::string& method, const cJSON* params) {
    if (auto self = weak.lock()) targets->onEvent(*self, method, params);
  });
  const std::string version = versionOf(product);
  const std::string profile = wstring_to_utf8(userDataFolder);
  JsonPtr context(cJSON_CreateObject());
  cJSON_AddBoolToObject(context.get(), "disposeOnDetach", true);
  connection->call(std::string(), "Target.createBrowserContext", std::move(context),
                   [connection, targets, version, profile, done](const cJSON* result, const std::string& error) {
    const std::string contextId = json_string_or_empty(result, "browserContextId");
    if (!error.empty() || contextId.empty()) {
      vemo_debug_printf("web engine: no browser context for %s: %s\n", profile.c_str(), error.c_str());
      if (done) done(E_FAIL, nullptr);
      return;
    }
    JsonPtr discover(cJSON_CreateObject());
    cJSON_AddBoolToObject(discover.get(), "discover", true);
    connection->call(std::string(), "Target.setDiscoverTargets", std::move(discover));
    connection->call(std::string(), "Browser.getVersion", nullptr,
                     [=](const cJSON* about, const std::string& versionError) {
      if (!versionError.empty()) {
        vemo_debug_printf("web engine: the browser does not answer: %s\n", versionError.c_str());
        if (done) done(E_FAIL, nullptr);
        return;
      }
      vemo_debug_printf("web engine: browser %s for %s\n", version.c_str(), profile.c_str());
      auto environment =
          std::make_shared<DevToolsEnvironment>(connection, contextId, version, json_string_or_empty(about, "userAgent"), targets);
      if (done) done(S_OK, environment);
    });
  });
  return S_OK;
}

}  // namespace WebEngine
}  // namespace VemoSDK
