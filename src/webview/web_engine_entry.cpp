#include "webview/web_engine_entry.h"

#include <utility>

namespace VemoSDK {
namespace {

EnvironmentStarter g_starter = nullptr;  // UI thread only

}  // namespace

EnvironmentStarter setEnvironmentStarter(EnvironmentStarter starter) { return std::exchange(g_starter, starter); }

HRESULT startEnvironment(const std::wstring& runtimeFolder, const std::wstring& userDataFolder,
                         const WebEngine::EnvironmentOptions& options, WebEngine::EnvironmentCompleted done) {
  if (g_starter) return g_starter(runtimeFolder, userDataFolder, options, std::move(done));
  return WebEngine::createEnvironment(runtimeFolder, userDataFolder, options, std::move(done));
}

}  // namespace VemoSDK
