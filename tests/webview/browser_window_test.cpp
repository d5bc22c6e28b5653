// The popup browser window on the real browser: its size on a small parent,
// the modal parent, the loading overlay while a page loads, and one close
// by any road (WM_CLOSE, close(), destruction) that reports to Lua once and
// never deletes the browser twice.
#include "webview/windows/vemo_browser.h"

#include "core/lua_task_queue.h"
#include "lua/vemosdk_module.h"
#include "lua_values.h"
#include "screen_picture.h"
#include "test_support.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_json.h"
#include "webview_test_env.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace VemoSDK;
using vemo::test::pumpUntil;

class BrowserWindowTest : public ::testing::Test {
protected:
  BrowserWindowTest() : env_("browser-window") {
    parent_ = CreateWindowExW(0, L"STATIC", L"browser window parent", WS_POPUP | WS_VISIBLE, 300, 300, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    closeEvents();
  }
  ~BrowserWindowTest() override { DestroyWindow(parent_); }

  // The JSON texts of the close events (WEBVIEW_EVENT code 1) so far.
  std::vector<std::string> closeEvents() {
    std::vector<std::string> events;
    for (;;) {
      std::vector<std::string> values =
          vemo::test::pop_values(lua_.get(), LuaTaskQueue::getInstance()->tick(lua_.get()));
      if (values.size() != 4) break;
      if (values[0] == kWebViewEvent && std::stoll(values[1].substr(1)) == 1) events.push_back(values[2]);
    }
    return events;
  }

  vemo::test::WebViewTestEnv env_;
  vemo::test::LuaStateHolder lua_;
  HWND parent_ = nullptr;
};

TEST_F(BrowserWindowTest, AModalBrowserCoversItsParentAtItsMinimumSizeWithTheLoadingOverlay) {
  const char* options = R"({"min_width":800,"min_height":600,"enable_loading":1,"closeEventData":"bye"})";
  std::string url = env_.page("slow.html", "<p>slow</p><img src=\"slow.png?delay=60000\">");
  VemoBrowser browser(parent_, url, {{"options", options}, {"injection", "{}"}});
  browser.open(url, {{"options", options}, {"injection", "{}"}});
  ASSERT_TRUE(browser.window());
  RECT rect = {};
  GetWindowRect(browser.window(), &rect);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 150);
  EXPECT_EQ(rect.right - rect.left, 800);
  EXPECT_EQ(rect.bottom - rect.top, 600);
  EXPECT_FALSE(IsWindowEnabled(parent_)) << "a modal browser disables its parent";
  ASSERT_TRUE(pumpUntil([&] { return browser.windowLoadState() >= kWindowNavigationStarted; }));
  ASSERT_TRUE(browser.loading());
  EXPECT_TRUE(browser.loading()->running());
  EXPECT_TRUE(IsWindowVisible(browser.loading()->window()));
  // Give the overlay's animation a few frames before the picture.
  pumpUntil([] { return false; }, 1);
  EXPECT_TRUE(vemo::test::save_screen_picture(rect, "browser_loading.png"));
}

TEST_F(BrowserWindowTest, EveryRoadClosesOnceReportsOnceAndDeletesOnce) {
  const char* options = R"({"closeEventData":"bye","enable_loading":0})";
  std::string url = env_.page("plain.html", "<p>plain</p>");
  struct Case {
    const char* name;
    bool callbackDeletes;  // as an opener's callback does: the closing browser deletes itself
    int callbacks;
    void (*end)(std::unique_ptr<VemoBrowser>& browser);
  } cases[] = {
      {"WM_CLOSE", true, 1, [](std::unique_ptr<VemoBrowser>& b) { SendMessageW(b->window(), WM_CLOSE, 0, 0); }},
      {"close", true, 1, [](std::unique_ptr<VemoBrowser>& b) { b->close(); }},
      {"close twice", false, 1, [](std::unique_ptr<VemoBrowser>& b) {
         b->close();
         EXPECT_EQ(b->close(), 0) << "the second close does nothing";
         b.reset();
       }},
      {"destroyed", true, 0, [](std::unique_ptr<VemoBrowser>& b) { b.reset(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<VemoBrowser> browser;
    int calls = 0;
    WebViewWindowCloseCallback onClose = [&] {
      ++calls;
      if (c.callbackDeletes) browser.reset();
    };
    WebViewSettingsMap params{{"options", options}, {"close_callback", &onClose}};
    browser = std::make_unique<VemoBrowser>(parent_, url, params);
    browser->open(url, params);
    HWND window = browser->window();
    ASSERT_TRUE(window);
    c.end(browser);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(IsWindowEnabled(parent_));
    EXPECT_EQ(calls, c.callbacks);
    EXPECT_EQ(browser, nullptr);
    std::vector<std::string> events = closeEvents();
    ASSERT_EQ(events.size(), 1u);
    vemo::JsonPtr event(cJSON_Parse(events[0].c_str()));
    EXPECT_STREQ(cJSON_GetStringValue(cJSON_GetObjectItem(event.get(), "type")), "close") << events[0];
    EXPECT_STREQ(cJSON_GetStringValue(cJSON_GetObjectItem(event.get(), "args")), "bye") << events[0];
    EXPECT_TRUE(cJSON_IsString(cJSON_GetObjectItem(event.get(), "url"))) << events[0];
  }
}

}  // namespace
