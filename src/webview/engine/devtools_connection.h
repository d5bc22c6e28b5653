#pragma once
// One DevTools connection to the browser, used on its UI thread: numbered
// method calls with their replies, and events routed by session (the empty
// session is the browser's own). The reader thread only hands received text
// over to the UI thread; all parsing and dispatch happen there.
#include <cjson/cJSON.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "core/owners.h"
#include "webview/engine/devtools_socket.h"
#include "webview/engine/ui_thread_poster.h"

namespace VemoSDK {
namespace WebEngine {

class DevToolsConnection : public std::enable_shared_from_this<DevToolsConnection> {
public:
  // error is empty on success; result is the method's "result" object then.
  using Reply = std::function<void(const cJSON* result, const std::string& error)>;
  using EventHandler = std::function<void(const std::string& method, const cJSON* params)>;

  static std::shared_ptr<DevToolsConnection> open(const std::string& socketUrl,
                                                  std::shared_ptr<UiThreadPoster> poster, std::string& why);
  ~DevToolsConnection();

  // Sends method(params) in the session; reply (may be empty) runs later on
  // the UI thread. Params null means {}.
  void call(const std::string& sessionId, const std::string& method, vemo::JsonPtr params,
            Reply reply = nullptr);
  void setEventHandler(const std::string& sessionId, EventHandler handler);
  void removeEventHandler(const std::string& sessionId);
  void setEndHandler(std::function<void(const std::string& why)> handler) { endHandler_ = std::move(handler); }
  bool isOpen() const { return open_; }
  const std::shared_ptr<UiThreadPoster>& poster() const { return poster_; }

private:
  DevToolsConnection() = default;
  void dispatch(const std::string& text);
  void end(const std::string& why);

  std::unique_ptr<DevToolsSocket> socket_;
  std::shared_ptr<UiThreadPoster> poster_;
  bool open_ = true;
  int nextId_ = 1;
  std::map<int, Reply> pending_;
  std::map<std::string, EventHandler> handlers_;
  std::function<void(const std::string&)> endHandler_;
};

}  // namespace WebEngine
}  // namespace VemoSDK
