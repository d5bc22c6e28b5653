#pragma once
// An environment: one DevTools connection to the browser and one browser
// context (its own cookies and storage) in which every controller's page is
// created. UI thread only.
#include <map>
#include <memory>
#include <string>

#include "webview/engine/devtools_connection.h"
#include "webview/engine/devtools_page.h"
#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

// The pages of one connection by target id, for the browser's own target
// events (the windows a page opens).
class BrowserTargets {
public:
  void add(const std::string& targetId, std::weak_ptr<DevToolsPage> page) { pages_[targetId] = std::move(page); }
  void onEvent(DevToolsConnection& connection, const std::string& method, const cJSON* params);

private:
  std::map<std::string, std::weak_ptr<DevToolsPage>> pages_;
};

class DevToolsEnvironment : public Environment, public std::enable_shared_from_this<DevToolsEnvironment> {
public:
  DevToolsEnvironment(std::shared_ptr<DevToolsConnection> connection, std::string browserContextId,
                      std::string version, std::string userAgent, std::shared_ptr<BrowserTargets> targets);

  std::string browserVersion() const override { return version_; }
  HRESULT createController(HWND parent, ControllerCompleted done) override;

private:
  std::shared_ptr<DevToolsConnection> connection_;
  std::string browserContextId_;
  std::string version_;
  std::string userAgent_;
  std::shared_ptr<BrowserTargets> targets_;
};

}  // namespace WebEngine
}  // namespace VemoSDK
