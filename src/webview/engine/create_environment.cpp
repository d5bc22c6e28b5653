// Entry point of the engine: finds the browser and starts an environment on it.
#include "core/debug_log.h"
#include "webview/engine/devtools_endpoint.h"
#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

HRESULT createEnvironment(const std::wstring& runtimeFolder, const std::wstring& userDataFolder,
                          const EnvironmentOptions& options, EnvironmentCompleted done) {
  (void)userDataFolder;
  (void)options;
  (void)done;
  DevToolsEndpoint endpoint;
  std::string why;
  if (!readDevToolsEndpoint(runtimeFolder, endpoint, why)) {
    vemo_debug_printf("web engine: no browser engine available: %s\n", why.c_str());
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }
  vemo_debug_printf("web engine: no browser engine available: the DevTools back end is not connected\n");
  return E_NOTIMPL;
}

}  // namespace WebEngine
}  // namespace VemoSDK
