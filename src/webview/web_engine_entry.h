#pragma once
// Where hosts start the browser engine: the engine itself, or a stand-in
// that drives a host through the same interface.
#include "webview/engine/web_engine.h"

namespace VemoSDK {

using EnvironmentStarter = HRESULT (*)(const std::wstring& runtimeFolder, const std::wstring& userDataFolder,
                                       const WebEngine::EnvironmentOptions& options,
                                       WebEngine::EnvironmentCompleted done);

// Returns the previous starter; null puts the engine back.
EnvironmentStarter setEnvironmentStarter(EnvironmentStarter starter);
HRESULT startEnvironment(const std::wstring& runtimeFolder, const std::wstring& userDataFolder,
                         const WebEngine::EnvironmentOptions& options, WebEngine::EnvironmentCompleted done);

}  // namespace VemoSDK
