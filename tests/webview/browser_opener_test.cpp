// The openers on the real browser: the one rule that picks an opener, the
// hide cache (a second hide under a kept id closes the window not kept),
// a window that closes itself leaving its opener without deleting
// anything twice, and a browser prepared ahead that the next file page
// takes over.
#include "webview/windows/vemo_browser_opener.h"

#include "core/lua_task_queue.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "lua/vemosdk_module.h"
#include "lua_values.h"
#include "test_support.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_json.h"
#include "webview/windows/vemo_browser.h"
#include "webview_test_env.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace VemoSDK;
using vemo::test::pumpUntil;

class BrowserOpenerTest : public ::testing::Test {
protected:
  BrowserOpenerTest() : env_("browser-opener") {
    host_ = CreateWindowExW(0, L"STATIC", L"opener host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 480, nullptr,
                            nullptr, nullptr, nullptr);
    vmsdk_set_main_hwnd(host_);
    luaL_requiref(lua_.get(), "_vemosdk", luaopen_vemosdk, 1);
    lua_pop(lua_.get(), 1);
    url_ = env_.page("opener.html", "<p>opener</p>");
  }
  ~BrowserOpenerTest() override {
    for (VemoBrowserOpener* opener : {&VemoBrowserOpener::browserOpener(), &VemoBrowserOpener::communityOpener()}) {
      opener->close();
      for (const char* id : {"a", "Default"}) VemoBrowserOpener::discard(opener->takeWindow(id));
    }
    DestroyWindow(host_);
    vmsdk_set_main_hwnd(nullptr);
  }
  std::string op(const std::string& json) {
    return vemo::test::run_chunk(lua_.get(), "return _vemosdk.webview_operator([[" + json + "]])");
  }

  // The WEBVIEW_EVENT tasks so far: code and JSON text.
  std::vector<std::pair<long long, std::string>> webViewEvents() {
    std::vector<std::pair<long long, std::string>> events;
    for (;;) {
      std::vector<std::string> values =
          vemo::test::pop_values(lua_.get(), LuaTaskQueue::getInstance()->tick(lua_.get()));
      if (values.size() != 4) break;
      if (values[0] == kWebViewEvent) events.emplace_back(std::stoll(values[1].substr(1)), values[2]);
    }
    return events;
  }

  vemo::test::WebViewTestEnv env_;
  vemo::test::LuaStateHolder lua_;
  HWND host_ = nullptr;
  std::string url_;
};

TEST_F(BrowserOpenerTest, OneRulePicksTheOpener) {
  struct Case {
    const char* request;
    bool community;
  } cases[] = {
      {R"({"webview_id":"community"})", true},
      {R"({"enable_multi_instance":true})", true},
      {R"({"webview_id":"news","enable_multi_instance":true})", true},
      {R"({"webview_id":"news"})", false},
      {R"({"enable_multi_instance":1})", false},
      {"{}", false},
  };
  for (const Case& c : cases) {
    vemo::JsonPtr request(cJSON_Parse(c.request));
    EXPECT_EQ(&VemoBrowserOpener::forRequest(request.get()) == &VemoBrowserOpener::communityOpener(), c.community)
        << c.request;
  }
  VemoBrowserOpener::communityOpener().open(url_, "{}", "{}");
  ASSERT_TRUE(dynamic_cast<VemoBrowser*>(VemoBrowserOpener::communityOpener().currentWindow()));
  EXPECT_EQ(op(R"({"type":"is_opened","data":{"webview_id":"community"}})"), "true");
  EXPECT_EQ(op(R"({"type":"is_opened"})"), "false") << "the browser opener has nothing open";
  EXPECT_EQ(op(R"({"type":"call_js","data":{"webview_id":"community","js_str":""}})"), "false");
  EXPECT_EQ(op(R"({"type":"remove_hide_cache","data":{"webview_id":"nobody"}})"), "false");
}

TEST_F(BrowserOpenerTest, TheHideCacheKeepsTheFirstWindowOfAnId) {
  VemoBrowserOpener& opener = VemoBrowserOpener::browserOpener();
  opener.open(url_, "{}", "{}");
  VemoWebViewWindow* first = opener.currentWindow();
  ASSERT_TRUE(first && first->window());
  EXPECT_EQ(op(R"({"type":"hide","data":{"webview_id":"a"}})"), "true");
  EXPECT_FALSE(opener.isOpened());
  EXPECT_TRUE(isWindowAlive(first)) << "kept while hidden";

  opener.open(url_, "{}", "{}");
  VemoWebViewWindow* second = opener.currentWindow();
  HWND secondWindow = second->window();
  EXPECT_EQ(op(R"({"type":"hide","data":{"webview_id":"a"}})"), "true");
  EXPECT_FALSE(isWindowAlive(second)) << "not kept, so closed";
  EXPECT_FALSE(IsWindow(secondWindow));
  EXPECT_TRUE(isWindowAlive(first));

  EXPECT_EQ(op(R"({"type":"show","data":{"webview_id":"a"}})"), "true");
  EXPECT_EQ(opener.currentWindow(), first);
  EXPECT_EQ(op(R"({"type":"show","data":{"webview_id":"a"}})"), "false") << "no longer cached, the current stays";
  EXPECT_EQ(opener.currentWindow(), first);
  EXPECT_EQ(op(R"({"type":"hide"})"), "true");
  EXPECT_EQ(op(R"({"type":"remove_hide_cache","data":{}})"), "true");
  EXPECT_FALSE(isWindowAlive(first));
}

TEST_F(BrowserOpenerTest, AWindowThatClosesItselfLeavesItsOpener) {
  VemoBrowserOpener& opener = VemoBrowserOpener::communityOpener();
  opener.open(url_, "{}", "{}");
  VemoWebViewWindow* window = opener.currentWindow();
  ASSERT_TRUE(window && window->window());
  SendMessageW(window->window(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(isWindowAlive(window));
  EXPECT_FALSE(opener.isOpened());
  EXPECT_FALSE(opener.close()) << "nothing left to close";
}

TEST_F(BrowserOpenerTest, APreparedBrowserWaitsHiddenForTheNextFilePage) {
  VemoBrowserOpener& opener = VemoBrowserOpener::communityOpener();
  webViewEvents();
  EXPECT_EQ(op(R"({"type":"prepare","data":{"webview_flags":""}})"), "true");
  const VemoBrowser* prepared = opener.preparedBrowser();
  ASSERT_TRUE(prepared && prepared->window());
  HWND window = prepared->window();
  EXPECT_FALSE(IsWindowVisible(window));
  ASSERT_TRUE(pumpUntil([&] { return prepared->preparedWebView()->state() == kWebViewReady; }));
  HWND page = prepared->preparedWebView()->pageWindow();
  ASSERT_TRUE(page);
  EXPECT_EQ(op(R"({"type":"prepare"})"), "true");
  EXPECT_EQ(opener.preparedBrowser(), prepared) << "the first is kept";
  pumpUntil([] { return false; }, 1);
  EXPECT_TRUE(webViewEvents().empty()) << "a preparation reports nothing";

  opener.open(url_, "{}", "{}");
  ASSERT_TRUE(opener.currentWindow());
  EXPECT_NE(opener.currentWindow()->window(), window) << "a web page starts its own";
  EXPECT_EQ(opener.preparedBrowser(), prepared);
  opener.close();
  webViewEvents();

  std::string ui = env_.program + "\\ui";
  CreateDirectoryW(utf8_to_wstring(ui).c_str(), nullptr);
  vemo::test::write_file(ui + "\\prepared.html", "<html><body>prepared</body></html>");
  std::string slashed = env_.program;
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  opener.open("file:///VemoOfflineRedirect/" + slashed + "/ui/prepared.html", "{}", R"({"closeEventData":"bye"})");
  auto* browser = dynamic_cast<VemoBrowser*>(opener.currentWindow());
  ASSERT_TRUE(browser && browser->webView());
  EXPECT_EQ(opener.preparedBrowser(), nullptr);
  EXPECT_EQ(browser->window(), window);
  EXPECT_TRUE(IsWindowVisible(window));
  ASSERT_TRUE(pumpUntil([&] { return browser->windowLoadState() == kWindowNavigationCompleted; }));
  EXPECT_EQ(browser->webView()->pageWindow(), page) << "the prepared page, not a second one";
  std::string body;
  browser->executeScript("document.body.innerText", [&](const std::string& value) { body = value; });
  ASSERT_TRUE(pumpUntil([&] { return !body.empty(); }));
  EXPECT_EQ(body, "\"prepared\"");

  webViewEvents();
  opener.close();
  std::vector<std::string> closes;
  for (const auto& [code, json] : webViewEvents())
    if (code == 1) closes.push_back(json);
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_NE(closes[0].find("bye"), std::string::npos) << closes[0];
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
