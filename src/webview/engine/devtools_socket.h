#pragma once
// The WebSocket to one browser's DevTools endpoint. libcurl connects and
// upgrades the connection; frames are built and read by WebSocketReader.
// send() may be called from any thread; one reader thread delivers every
// received message, in order, to the handler given to startReading.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <curl/curl.h>

#include "core/owners.h"
#include "webview/engine/devtools_endpoint.h"

namespace VemoSDK {
namespace WebEngine {


// Asks the endpoint's HTTP side for the browser's WebSocket address and the
// browser's version text ("HeadlessChrome/156.0..."); false with why filled.
bool fetchBrowserSocketUrl(const DevToolsEndpoint& endpoint, std::string& socketUrl, std::string& browser,
                           std::string& why);

class DevToolsSocket {
public:
  using MessageHandler = std::function<void(std::string message)>;
  using EndHandler = std::function<void(const std::string& why)>;

  // Connects to a ws://127.0.0.1 address; null with why filled on failure.
  static std::unique_ptr<DevToolsSocket> open(const std::string& socketUrl, std::string& why);
  ~DevToolsSocket();  // stops the reader thread and closes the connection

  // Starts the reader; onEnd runs once, on the reader thread, when the
  // connection ends for any reason but the destructor.
  void startReading(MessageHandler onMessage, EndHandler onEnd);
  // Sends one text message whole; false once the connection is gone.
  bool send(const std::string& message);

private:
  explicit DevToolsSocket(vemo::CurlEasy easy);
  bool sendBytes(const std::string& bytes);
  bool waitSocket(bool forWrite, int milliseconds) const;
  void readLoop(MessageHandler onMessage, EndHandler onEnd);

  vemo::CurlEasy easy_;
  std::mutex curlMutex_;  // one libcurl call on the handle at a time
  std::mutex sendMutex_;  // one message on the wire at a time
  std::atomic<bool> stopping_{false};
  std::atomic<bool> broken_{false};
  std::thread reader_;
};

}  // namespace WebEngine
}  // namespace VemoSDK
