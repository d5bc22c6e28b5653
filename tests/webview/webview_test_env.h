#pragma once
// What the tests of web views on the real browser share: a message pump
// that waits for a condition, and a program folder, SDK context and web
// view runtime folder of their own that find the browser the CTest fixture
// runs, with pages served by the HTTP test server.
#include "test_support.h"

#include <functional>
#include <string>

namespace vemo::test {

// Pumps the thread's messages (the engine's callbacks and the windows'
// timers arrive through them) until done() or the time is up.
bool pumpUntil(const std::function<bool()>& done, int seconds = 30);

class WebViewTestEnv {
public:
  explicit WebViewTestEnv(const std::string& name);
  ~WebViewTestEnv();
  WebViewTestEnv(const WebViewTestEnv&) = delete;
  WebViewTestEnv& operator=(const WebViewTestEnv&) = delete;

  // Writes a page the test server serves; its URL.
  std::string page(const std::string& name, const std::string& html);

  TempDir dir;
  std::string program;  // holds sdkconfig.json
  std::string runtime;  // the web view runtime folder
  std::string www;      // served under /webview/
};

}  // namespace vemo::test
