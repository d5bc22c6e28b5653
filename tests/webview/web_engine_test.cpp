// The web engine against the real headless browser and the HTTP test
// server: one environment, controller and web view per test, on a real
// parent window whose thread pumps messages while a test waits.
#include "webview/engine/web_engine.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/debug_log.h"
#include "core/owners.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

using namespace VemoSDK::WebEngine;
using vemo::test::browser_runtime_dir;
using vemo::test::http_base_url;
using vemo::JsonPtr;

constexpr const char* kOfflinePrefix = "file:///VemoOfflineRedirect/";

// Runs the thread's messages until done() holds or the time is up.
bool pumpUntil(const std::function<bool()>& done, int milliseconds = 15000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// A port on 127.0.0.1 that nothing listens on.
int closedPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(s);
  return ntohs(address.sin_port);
}

class WebEngineTest : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WebEngineTestParent";
    RegisterClassW(&wc);
    RECT frame{0, 0, 320, 240};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    parent_ = CreateWindowExW(0, wc.lpszClassName, L"engine test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(parent_);

    vemo_debug_set_console(1);
    HRESULT envResult = E_PENDING;
    ASSERT_EQ(S_OK, createEnvironment(utf8_to_wstring(browser_runtime_dir()), L"Z:\\tmp\\engine-profile", {},
                                      [&](HRESULT result, std::shared_ptr<Environment> environment) {
                                        envResult = result;
                                        environment_ = environment;
                                      }));
    ASSERT_TRUE(pumpUntil([&] { return envResult != E_PENDING; }));
    ASSERT_EQ(S_OK, envResult);
    ASSERT_TRUE(environment_);

    HRESULT controllerResult = E_PENDING;
    ASSERT_EQ(S_OK, environment_->createController(parent_, [&](HRESULT result, std::shared_ptr<Controller> c) {
      controllerResult = result;
      controller_ = c;
    }));
    ASSERT_TRUE(pumpUntil([&] { return controllerResult != E_PENDING; }));
    ASSERT_EQ(S_OK, controllerResult);
    view_ = controller_->webView();
    ASSERT_TRUE(view_);
    view_->addNavigationCompleted([this](const NavigationCompletedArgs& args) { completions_.push_back(args); });
    view_->addNavigationStarting([this](NavigationStartingArgs& args) { starts_.push_back(args.uri); });
  }

  void TearDown() override {
    view_.reset();
    if (controller_) controller_->close();
    controller_.reset();
    environment_.reset();
    if (parent_) DestroyWindow(parent_);
  }

  NavigationCompletedArgs navigateAndWait(const std::string& url) {
    const size_t before = completions_.size();
    EXPECT_EQ(S_OK, view_->navigate(url));
    EXPECT_TRUE(pumpUntil([&] { return completions_.size() > before; })) << url;
    return completions_.size() > before ? completions_.back() : NavigationCompletedArgs{};
  }

  std::string run(const std::string& script) {
    std::string answer;
    bool done = false;
    EXPECT_EQ(S_OK, view_->executeScript(script, [&](HRESULT result, const std::string& json) {
      EXPECT_EQ(S_OK, result) << script;
      answer = json;
      done = true;
    }));
    EXPECT_TRUE(pumpUntil([&] { return done; })) << script;
    return answer;
  }

  // Serves pages under the offline prefix from a table: path -> HTML.
  void serveOffline(std::vector<std::pair<std::string, std::string>> pages) {
    view_->addWebResourceRequestedFilter(std::string(kOfflinePrefix) + "*");
    view_->addWebResourceRequested([pages, this](WebResourceRequestedArgs& args) {
      offlineRequests_.push_back(args.request.uri);
      for (const auto& page : pages)
        if (args.request.uri == kOfflinePrefix + page.first) {
          WebResourceResponse response;
          response.reasonPhrase = "OK";
          response.headers = {{"Content-Type", "text/html; charset=utf-8"}};
          response.body = page.second;
          args.response = response;
          return;
        }
      WebResourceResponse missing;
      missing.statusCode = 404;
      missing.reasonPhrase = "Not Found";
      missing.headers = {{"Content-Type", "text/plain"}};
      missing.body = "missing";
      args.response = missing;
    });
  }

  HWND parent_ = nullptr;
  std::shared_ptr<Environment> environment_;
  std::shared_ptr<Controller> controller_;
  std::shared_ptr<WebView> view_;
  std::vector<NavigationCompletedArgs> completions_;
  std::vector<std::string> starts_;
  std::vector<std::string> offlineRequests_;
};

TEST_F(WebEngineTest, NavigationCompletesWithTheMainDocumentsStatusOrTheMappedWebError) {
  struct Case {
    std::string url;
    bool success;
    int status;
    int webError;
  };
  const std::string closed = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
  const Case cases[] = {
      {http_base_url() + "/_/echo", true, 200, kWebErrorUnknown},
      {http_base_url() + "/page?status=404", false, 404, kWebErrorUnknown},
      {http_base_url() + "/page?status=503", false, 503, kWebErrorUnknown},
      {"http://no-such-host.invalid/", false, 0, kWebErrorHostNameNotResolved},
      {closed, false, 0, kWebErrorServerUnreachable},
  };
  for (const Case& c : cases) {
    starts_.clear();
    const NavigationCompletedArgs done = navigateAndWait(c.url);
    EXPECT_EQ(c.success, done.isSuccess) << c.url;
    EXPECT_EQ(c.status, done.httpStatusCode) << c.url;
    EXPECT_EQ(c.webError, done.webErrorStatus) << c.url;
    ASSERT_EQ(1u, starts_.size()) << c.url;
    EXPECT_EQ(c.url, starts_[0]);
    EXPECT_EQ(c.url, view_->source());
  }
}

TEST_F(WebEngineTest, AStoppedNavigationCompletesAsAborted) {
  const size_t before = completions_.size();
  ASSERT_EQ(S_OK, view_->navigate(http_base_url() + "/slow?delay=5000"));
  ASSERT_TRUE(pumpUntil([&] { return !starts_.empty(); }));
  ASSERT_EQ(S_OK, view_->stop());
  ASSERT_TRUE(pumpUntil([&] { return completions_.size() > before; }));
  EXPECT_FALSE(completions_.back().isSuccess);
  EXPECT_EQ(kWebErrorConnectionAborted, completions_.back().webErrorStatus);
}

TEST_F(WebEngineTest, ExecuteScriptAnswersTheValueAsJson) {
  navigateAndWait(http_base_url() + "/_/echo");
  EXPECT_EQ("3", run("1 + 2"));
  EXPECT_EQ("\"a\\\"b\"", run("'a\"b'"));
  EXPECT_EQ("null", run("undefined"));
  JsonPtr object(cJSON_Parse(run("({name: 'x', list: [1, true, null]})").c_str()));
  ASSERT_TRUE(cJSON_IsObject(object.get()));
  EXPECT_STREQ("x", cJSON_GetObjectItemCaseSensitive(object.get(), "name")->valuestring);
  EXPECT_EQ(3, cJSON_GetArraySize(cJSON_GetObjectItemCaseSensitive(object.get(), "list")));

  HRESULT thrown = E_PENDING;
  view_->executeScript("throw new Error('no')", [&](HRESULT result, const std::string&) { thrown = result; });
  ASSERT_TRUE(pumpUntil([&] { return thrown != E_PENDING; }));
  EXPECT_EQ(E_FAIL, thrown);
}

TEST_F(WebEngineTest, TheResourceFilterAnswersOfflineRequestsAndThePageBridgePostsMessages) {
  std::vector<WebMessageReceivedArgs> messages;
  view_->addWebMessageReceived([&](const WebMessageReceivedArgs& args) { messages.push_back(args); });
  serveOffline({{"C:/Game/ui/index.html",
                 "<html><body>offline page<script>"
                 "window.chrome.webview.postMessage('%7B%22id%22%3A1%7D');"
                 "window.chrome.webview.postMessage({n: 2});"
                 "</script></body></html>"}});
  const NavigationCompletedArgs done = navigateAndWait(std::string(kOfflinePrefix) + "C:/Game/ui/index.html");
  EXPECT_TRUE(done.isSuccess);
  EXPECT_EQ(200, done.httpStatusCode);
  EXPECT_EQ("\"offline page\"", run("document.body.firstChild.textContent"));
  ASSERT_TRUE(pumpUntil([&] { return messages.size() >= 2; }));
  EXPECT_TRUE(messages[0].isString);
  EXPECT_EQ("%7B%22id%22%3A1%7D", messages[0].text);
  EXPECT_EQ(std::string(kOfflinePrefix) + "C:/Game/ui/index.html", messages[0].source);
  EXPECT_FALSE(messages[1].isString);
  EXPECT_EQ("{\"n\":2}", messages[1].json);

  // An answer with an error status is what the page gets, status and all.
  const NavigationCompletedArgs missing = navigateAndWait(std::string(kOfflinePrefix) + "C:/Game/none.html");
  EXPECT_FALSE(missing.isSuccess);
  EXPECT_EQ(404, missing.httpStatusCode);
  EXPECT_EQ("\"missing\"", run("document.body.textContent"));

  // With the web-message switch off, nothing arrives.
  view_->settings().putIsWebMessageEnabled(false);
  messages.clear();
  navigateAndWait(std::string(kOfflinePrefix) + "C:/Game/ui/index.html");
  pumpUntil([] { return false; }, 300);
  EXPECT_TRUE(messages.empty());
}

TEST_F(WebEngineTest, TheServerSeesTheUserAgentPut) {
  const std::string browserAgent = view_->settings().userAgent();
  EXPECT_NE(std::string::npos, browserAgent.find("Chrome/")) << browserAgent;
  const std::string agent = browserAgent + " OrbApp(KVSDK/3.0.14) testClient/1.0";
  view_->settings().putUserAgent(agent);
  EXPECT_EQ(agent, view_->settings().userAgent());
  navigateAndWait(http_base_url() + "/_/echo");
  JsonPtr echo(cJSON_Parse(run("document.body.innerText").c_str()));
  ASSERT_TRUE(cJSON_IsString(echo.get()));
  JsonPtr request(cJSON_Parse(echo->valuestring));
  const cJSON* seen = cJSON_GetObjectItemCaseSensitive(cJSON_GetObjectItemCaseSensitive(request.get(), "headers"),
                                                       "User-Agent");
  ASSERT_TRUE(cJSON_IsString(seen));
  EXPECT_EQ(agent, seen->valuestring);
  EXPECT_EQ("\"" + agent + "\"", run("navigator.userAgent"));
}

TEST_F(WebEngineTest, TitlesNewWindowsAndDevToolsEventsReachTheirHandlers) {
  std::vector<std::string> titles, windows, consoleEvents, failedLoads;
  view_->addDocumentTitleChanged([&](const std::string& title) { titles.push_back(title); });
  view_->addNewWindowRequested([&](NewWindowRequestedArgs& args) {
    windows.push_back(args.uri);
    args.handled = true;
  });
  view_->addDevToolsEventHandler("Console.messageAdded",
                                 [&](const std::string& json) { consoleEvents.push_back(json); });
  view_->addDevToolsEventHandler("Network.loadingFailed",
                                 [&](const std::string& json) { failedLoads.push_back(json); });
  for (const char* method : {"Network.enable", "Console.enable"}) {
    HRESULT answer = E_PENDING;
    view_->callDevToolsMethod(method, "{}", [&](HRESULT result, const std::string&) { answer = result; });
    ASSERT_TRUE(pumpUntil([&] { return answer != E_PENDING; }));
    EXPECT_EQ(S_OK, answer) << method;
  }
  const std::string closed = "http://127.0.0.1:" + std::to_string(closedPort());
  serveOffline({{"page.html", "<html><head><title>First title</title></head><body>"
                              "<img src='" + closed + "/missing.png'>"
                              "<script>console.log('hello console');"
                              "window.open('" + closed + "/popup.html');</script></body></html>"}});
  navigateAndWait(std::string(kOfflinePrefix) + "page.html");
  ASSERT_TRUE(pumpUntil([&] {
    return !titles.empty() && !windows.empty() && !consoleEvents.empty() && !failedLoads.empty();
  }));
  EXPECT_EQ("First title", titles.back());
  EXPECT_EQ("First title", view_->documentTitle());
  EXPECT_EQ(closed + "/popup.html", windows[0]);
  EXPECT_NE(std::string::npos, consoleEvents[0].find("hello console")) << consoleEvents[0];
  EXPECT_NE(std::string::npos, failedLoads[0].find("\"type\":\"Image\"")) << failedLoads[0];

  run("document.title = 'Second title'");
  ASSERT_TRUE(pumpUntil([&] { return titles.back() == "Second title"; }));

  // A removed handler hears nothing more.
  const EventToken token = view_->addDocumentTitleChanged([&](const std::string&) { titles.push_back("again"); });
  view_->removeHandler(token);
  run("document.title = 'Third title'");
  ASSERT_TRUE(pumpUntil([&] { return titles.back() == "Third title"; }));
  pumpUntil([] { return false; }, 300);
  EXPECT_EQ("Third title", titles.back());

  HRESULT unknown = E_PENDING;
  view_->callDevToolsMethod("No.suchMethod", "{}", [&](HRESULT result, const std::string&) { unknown = result; });
  ASSERT_TRUE(pumpUntil([&] { return unknown != E_PENDING; }));
  EXPECT_EQ(E_FAIL, unknown);
  EXPECT_EQ(E_INVALIDARG, view_->callDevToolsMethod("Network.enable", "{broken", nullptr));
}

COLORREF pixelOf(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF color = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return color;
}

TEST_F(WebEngineTest, ThePageIsPaintedIntoTheChildWindowAndAClickReachesIt) {
  controller_->putBounds(RECT{10, 10, 310, 230});
  std::vector<std::string> messages;
  view_->addWebMessageReceived([&](const WebMessageReceivedArgs& args) { messages.push_back(args.text); });
  serveOffline({{"paint.html",
                 "<html><body style='margin:0;background:rgb(20,160,90)'>"
                 "<script>document.addEventListener('click', function(e) {"
                 "window.chrome.webview.postMessage('click ' + e.clientX + ' ' + e.clientY);});</script>"
                 "</body></html>"}});
  navigateAndWait(std::string(kOfflinePrefix) + "paint.html");
  HWND child = controller_->childWindow();
  ASSERT_TRUE(child);
  RECT placed;
  GetWindowRect(child, &placed);
  EXPECT_EQ(300, placed.right - placed.left);
  EXPECT_EQ(220, placed.bottom - placed.top);
  EXPECT_EQ("300", run("window.innerWidth"));

  ASSERT_TRUE(pumpUntil([&] { return pixelOf(child, 150, 100) == RGB(20, 160, 90); }))
      << std::hex << pixelOf(child, 150, 100);
  EXPECT_EQ(RGB(20, 160, 90), pixelOf(child, 290, 210));

  PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 50));
  PostMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(40, 50));
  ASSERT_TRUE(pumpUntil([&] { return !messages.empty(); }));
  EXPECT_EQ("click 40 50", messages[0]);

  controller_->putIsVisible(false);
  EXPECT_FALSE(IsWindowVisible(child));
  controller_->putIsVisible(true);
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WebEngineTest, AClosedWebViewRefusesCallsAndHearsNoMoreEvents) {
  navigateAndWait(http_base_url() + "/_/echo");
  const size_t completed = completions_.size();
  controller_->close();
  EXPECT_FALSE(controller_->webView());
  EXPECT_EQ(E_FAIL, view_->navigate(http_base_url() + "/_/echo"));
  EXPECT_EQ(E_FAIL, view_->executeScript("1", nullptr));
  pumpUntil([] { return false; }, 300);
  EXPECT_EQ(completed, completions_.size());
}

TEST_F(WebEngineTest, SuspendFreezesThePageAndResumeWakesIt) {
  navigateAndWait(http_base_url() + "/_/echo");
  controller_->putIsVisible(false);
  bool answered = false, suspended = false;
  ASSERT_EQ(S_OK, view_->trySuspend([&](HRESULT, bool ok) {
    answered = true;
    suspended = ok;
  }));
  ASSERT_TRUE(pumpUntil([&] { return answered; }));
  EXPECT_TRUE(suspended);
  EXPECT_TRUE(view_->isSuspended());
  view_->putIsMuted(true);
  EXPECT_TRUE(view_->isMuted());
  ASSERT_EQ(S_OK, view_->resume());
  controller_->putIsVisible(true);
  EXPECT_FALSE(view_->isSuspended());
  EXPECT_EQ("2", run("1 + 1"));
}

}  // namespace
