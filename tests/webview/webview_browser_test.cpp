// The host on the real browser, in a real window, against the HTTP test
// server: load failures to the error event, the page bridge's round trips
// with Lua, offline files, and the user agent the server sees.
#include "core/owners.h"
#include "webview/vemo_webview.h"

#include "core/lua_task_queue.h"
#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "core/text_convert.h"
#include "lua/vemosdk_module.h"
#include "lua_values.h"
#include "test_support.h"
#include "webview_test_env.h"
#include "core/json_object.h"
#include "webview/webview_event_dispatcher.h"
#include "webview/webview_stat_sink.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <winsock2.h>

#include <functional>
#include <memory>
#include <regex>

namespace {

using namespace VemoSDK;
using vemo::test::pumpUntil;

struct Task {
  int64_t code = 0;
  vemo::JsonPtr json;
};

// A port on which nothing listens.
int closedPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(s);
  return ntohs(address.sin_port);
}

struct CreatedListener : VemoWebViewListener {
  void onWebViewCreated(bool ok) override { created = ok ? 1 : -1; }
  void onNavigationStarting() override {}
  void onNavigationCompleted(bool) override { ++completions; }
  cJSON* onWebMessage(const std::string&, const std::string&, const cJSON*) override { return nullptr; }
  int created = 0;
  int completions = 0;
};

class BrowserTest : public ::testing::Test {
protected:
  BrowserTest()
      : env_("webview-browser"), dir_(env_.dir), program_(env_.program), runtime_(env_.runtime), www_(env_.www) {
    window_ = CreateWindowExW(0, L"STATIC", L"browser test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                              nullptr, nullptr, nullptr, nullptr);
    luaL_requiref(lua_.get(), "_vemosdk", luaopen_vemosdk, 1);
    lua_pop(lua_.get(), 1);
    drainTasks();
  }
  ~BrowserTest() override {
    host_.reset();
    DestroyWindow(window_);
  }

  std::string page(const std::string& name, const std::string& html) { return env_.page(name, html); }

  void open(const std::string& url, const char* options = "{}", const char* injection = "{}") {
    WebViewSettingsMap settings{{"options", options}, {"injection", injection}};
    listener_ = CreatedListener();
    host_ = std::make_unique<VemoWebView>(window_, url, 0, 0, 0, 0, settings, &listener_, false);
    ASSERT_TRUE(pumpUntil([&] { return listener_.created != 0; })) << "the page was never created";
    ASSERT_EQ(listener_.created, 1);
  }

  // Tasks for Lua so far, "WEBVIEW_EVENT" only.
  std::vector<Task> drainTasks() {
    std::vector<Task> tasks;
    for (;;) {
      std::vector<std::string> values =
          vemo::test::pop_values(lua_.get(), LuaTaskQueue::getInstance()->tick(lua_.get()));
      if (values.size() != 4) break;
      if (values[0] != kWebViewEvent) continue;
      tasks.push_back({std::stoll(values[1].substr(1)), vemo::JsonPtr(cJSON_Parse(values[2].c_str()))});
    }
    return tasks;
  }
  // Pumps until a navigation of the host completes; the tasks meanwhile.
  std::vector<Task> untilCompleted(int seconds = 30) {
    std::vector<Task> tasks;
    int before = listener_.completions;
    pumpUntil([&] { return listener_.completions > before; }, seconds);
    for (Task& task : drainTasks()) tasks.push_back(std::move(task));
    return tasks;
  }
  static std::vector<std::string> errorPageUrls(const std::vector<Task>& tasks) {
    std::vector<std::string> urls;
    for (const Task& task : tasks) {
      if (task.code != 4) continue;
      const cJSON* data = cJSON_GetObjectItem(task.json.get(), "data");
      urls.push_back(cJSON_GetObjectItem(data, "error_page_url")->valuestring);
    }
    return urls;
  }
  // The value of a script in the page, as JSON text.
  std::string evaluate(const std::string& script) {
    std::string result;
    bool done = false;
    host_->executeScript(script, [&](const std::string& value) {
      result = value;
      done = true;
    });
    pumpUntil([&] { return done; }, 15);
    return result;
  }

  vemo::test::WebViewTestEnv env_;
  vemo::test::TempDir& dir_;
  const std::string &program_, &runtime_, &www_;
  HWND window_ = nullptr;
  CreatedListener listener_;
  std::unique_ptr<VemoWebView> host_;
  vemo::test::LuaStateHolder lua_;
};

TEST_F(BrowserTest, LoadFailuresOfTheEntryPage) {
  std::string base = vemo::test::http_base_url();
  std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
  struct Case {
    std::string url;
    std::string expected;  // a regular expression; empty: no event
  } cases[] = {
      {base + "/webview/missing.html", "vemo://error\\?code=-5&sub_code=404&url=http%3A%2F%2F127\\.0\\.0\\.1.*"},
      {"http://no-such-host.invalid/", "vemo://error\\?code=-2&url=http%3A%2F%2Fno-such-host\\.invalid%2F"},
      {refused, "vemo://error\\?code=-2&url=.*"},
  };
  for (const Case& c : cases) {
    open(c.url);
    std::vector<std::string> urls = errorPageUrls(untilCompleted());
    ASSERT_EQ(urls.size(), 1u) << c.url;
    EXPECT_TRUE(std::regex_match(urls[0], std::regex(c.expected))) << urls[0];
    EXPECT_EQ(host_->state(), kWebViewLoadFailed) << c.url;
  }
}

TEST_F(BrowserTest, AbortedLoadsAndFailingSubResourcesPostNothing) {
  std::string slow = vemo::test::http_base_url() + "/webview/slow.html?delay=5000";
  page("slow.html", "<p>slow</p>");
  std::string fine = page("fine.html", "<html><body><img src='nothing-here.png'><p>fine</p></body></html>");
  open(slow);
  pumpUntil([] { return false; }, 1);  // the slow load is under way
  host_->loadUrl(fine);
  std::vector<Task> tasks;
  pumpUntil([&] {
    for (Task& task : drainTasks()) tasks.push_back(std::move(task));
    return host_->state() == kWebViewLoaded;
  });
  pumpUntil([] { return false; }, 2);  // the image's failure arrives meanwhile
  for (Task& task : drainTasks()) tasks.push_back(std::move(task));
  EXPECT_EQ(host_->state(), kWebViewLoaded);
  EXPECT_TRUE(errorPageUrls(tasks).empty());
}

const char* kBridgePage = R"(<html><body><script>
  window.results = [];
  window.alerts = 0;
  window.alert = function () { window.alerts++; };
  window.vemosdk = { nativeCallback: function (id, reply) { window.results.push([id, reply]); } };
  function post(text) { window.chrome.webview.postMessage(text); }
</script></body></html>)";

TEST_F(BrowserTest, BridgeRoundTripsWithLua) {
  std::string url = page("bridge.html", kBridgePage);
  open(url);
  untilCompleted();
  evaluate("post('%7B%22id%22%3A%221%22%2C%22name%22%3A%22transparentBackground%22%7D'); 1");
  evaluate(R"(post(JSON.stringify({id: '1);alert(1);(', name: 'transparentBackground'})); 1)");
  evaluate(R"(post(JSON.stringify({id: 'n7', name: 'notifyLua', args: {x: 'a+b'}, asyncCall: true})); 1)");
  ASSERT_TRUE(pumpUntil([&] { return evaluate("window.results.length") == "2"; }));
  EXPECT_EQ(evaluate("JSON.stringify(window.results)"),
            R"("[[1,{\"retval\":{\"transparentable\":true}}],[\"1);alert(1);(\",{\"retval\":{\"transparentable\":true}}]]")");
  EXPECT_EQ(evaluate("window.alerts"), "0");

  // Lua hears the page and answers it through webview_callback_js.
  const char* answer = R"LUA(
    local name, code, text = _vemosdk.tick()
    if name ~= 'WEBVIEW_EVENT' then return 'no event: ' .. tostring(name) end
    local cbid = text:match('"cbid":%s*"([^"]+)"')
    _vemosdk.webview_callback_js(cbid, '{"answer":42}')
    return tostring(code) .. ' ' .. text:match('"args":%s*(%b{})'):gsub('%s', ''))LUA";
  EXPECT_EQ(vemo::test::run_chunk(lua_.get(), answer), "0 {\"x\":\"ab\"}");
  ASSERT_TRUE(pumpUntil([&] { return evaluate("window.results.length") == "3"; }));
  EXPECT_EQ(evaluate("JSON.stringify(window.results[2])"), R"("[\"n7\",{\"retval\":\"{\\\"answer\\\":42}\"}]")");
}

TEST_F(BrowserTest, AnswersAfterTheWindowClosedRunNothing) {
  std::string url = page("bridge.html", kBridgePage);
  open(url);
  untilCompleted();
  evaluate(R"(post(JSON.stringify({id: 'late', name: 'notifyLua', asyncCall: true})); 1)");
  std::string cbid = makeWebViewCbid("late", host_.get());
  ASSERT_TRUE(pumpUntil([&] { return WebViewEventDispatcher::instance().pendingCount() > 0; }));
  host_.reset();
  DestroyWindow(window_);
  window_ = nullptr;
  EXPECT_EQ(WebViewEventDispatcher::instance().pendingCount(), 0u);
  WebViewEventDispatcher::instance().deliverCallback(cbid, "{}");
  pumpUntil([] { return false; }, 1);
}

TEST_F(BrowserTest, OfflineFilesThroughThePage) {
  std::string ui = program_ + "\\ui";
  CreateDirectoryW(utf8_to_wstring(ui).c_str(), nullptr);
  vemo::test::write_file(ui + "\\index.html", "<html><body>offline</body></html>");
  CreateDirectoryW(utf8_to_wstring(ui + u8"\\\u4e2d").c_str(), nullptr);
  vemo::test::write_file(ui + u8"\\\u4e2d\\\u4e2d.png", "not really a png");
  vemo::test::write_file(dir_.file("outside.html"), "<p>outside</p>");
  std::string slashed = program_;
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  std::string prefix = "file:///VemoOfflineRedirect/";
  struct Case {
    std::string url;
    int status;
    const char* type;
  } cases[] = {
      {prefix + slashed + "/ui/index.html?x=1#top", 200, "text/html"},
      {prefix + slashed.substr(2) + "/ui/index.html", 403, "text/plain"},
      {prefix + slashed + "/ui/missing.html", 404, "text/plain"},
      {prefix + slashed + "/ui/%E4%B8%AD/%E4%B8%AD.png", 200, "image/png"},
      {prefix + slashed + "/../outside.html", 403, "text/plain"},
  };
  open("about:blank");
  untilCompleted();
  for (const Case& c : cases) {
    host_->loadUrl(c.url);
    std::vector<Task> tasks = untilCompleted();
    int status = -1;
    for (const Task& task : tasks) {
      const cJSON* data = cJSON_GetObjectItem(task.json.get(), "data");
      if (task.code == 3 && cJSON_GetObjectItem(data, "status")) status = cJSON_GetObjectItem(data, "status")->valueint;
    }
    EXPECT_EQ(status, c.status) << c.url;
    EXPECT_EQ(evaluate("document.contentType"), std::string("\"") + c.type + "\"") << c.url;
  }
}

TEST_F(BrowserTest, TheServerSeesTheUserAgent) {
  std::string url = page("agent.html", "<p>agent</p>") + "?group=webview-agent";
  open(url);
  untilCompleted();
  std::string stats = vemo::test::http_base_url() + "/_/stats?group=webview-agent";
  host_->loadUrl(stats);
  untilCompleted();
  vemo::JsonPtr parsed(cJSON_Parse(evaluate("document.body.innerText").c_str()));
  ASSERT_TRUE(cJSON_IsString(parsed.get()));
  vemo::JsonPtr json(cJSON_Parse(parsed->valuestring));
  const cJSON* requests = cJSON_GetObjectItem(json.get(), "requests");
  ASSERT_GT(cJSON_GetArraySize(requests), 0);
  const cJSON* headers = cJSON_GetObjectItem(cJSON_GetArrayItem(requests, 0), "headers");
  const cJSON* agent = cJSON_GetObjectItem(headers, "User-Agent");
  ASSERT_TRUE(cJSON_IsString(agent));
  std::string text = agent->valuestring;
  const std::string suffix = " OrbApp(KVSDK/3.0.14) com.vemo.browserClient/2.4.6";
  ASSERT_GT(text.size(), suffix.size());
  EXPECT_EQ(text.substr(text.size() - suffix.size()), suffix) << text;
}

}  // namespace

// The statistics records a host sends, in order: the record name and its
// parameters.
struct StatRecord {
  std::string action;
  vemo::JsonPtr params;
};
std::vector<StatRecord>& statRecords() {
  static std::vector<StatRecord> records;
  return records;
}
bool keepStatRecord(const char* event, const char* action, JsonObject* params) {
  EXPECT_STREQ(event, "sdk.lua.stat");
  statRecords().push_back({action, vemo::JsonPtr(cJSON_Parse(params->print().c_str()))});
  return true;
}

TEST_F(BrowserTest, APageLoadGivesItsRecordsWithTheServedTimings) {
  statRecords().clear();
  setWebViewStatSink(keepStatRecord);
  // The server holds the page back 400 ms: the load's cost and the browser's
  // own response time both include it.
  page("slow.html", "<p>slow</p>");
  std::string url = vemo::test::http_base_url() + "/webview/slow.html?delay=400";
  open(url);
  ASSERT_TRUE(pumpUntil([] { return statRecords().size() >= 3; })) << statRecords().size();
  setWebViewStatSink(nullptr);

  std::vector<StatRecord>& records = statRecords();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].action, "webview.init.end");
  EXPECT_TRUE(cJSON_IsTrue(cJSON_GetObjectItem(records[0].params.get(), "result")));
  EXPECT_EQ(cJSON_GetObjectItem(records[0].params.get(), "wv_cost_time"), nullptr) << "no cost before the controller";

  EXPECT_EQ(records[1].action, "webview.cost");
  const cJSON* cost = records[1].params.get();
  EXPECT_GE(cJSON_GetObjectItem(cost, "cost_time")->valuedouble, 400);
  EXPECT_LT(cJSON_GetObjectItem(cost, "cost_time")->valuedouble, 30000);
  EXPECT_TRUE(cJSON_IsFalse(cJSON_GetObjectItem(cost, "result")));
  EXPECT_GT(cJSON_GetObjectItem(cost, "wv_cost_time")->valuedouble, 0);
  EXPECT_STREQ(cJSON_GetObjectItem(cJSON_GetObjectItem(cost, "sub_params"), "url")->valuestring, url.c_str());

  EXPECT_EQ(records[2].action, "webview.performance");
  const cJSON* performance = records[2].params.get();
  std::smatch timings;
  std::string msg = cJSON_GetObjectItem(performance, "msg")->valuestring;
  ASSERT_TRUE(std::regex_match(msg, timings, std::regex("t0=(\\d+)&t1=(\\d+)&t2=(\\d+)&wt=(\\d+)&ct=(-?\\d+)"))) << msg;
  long long t0 = std::stoll(timings[1]), t1 = std::stoll(timings[2]), t2 = std::stoll(timings[3]),
            wt = std::stoll(timings[4]);
  EXPECT_GE(t0, 400) << msg;  // the response ended after the server's delay
  EXPECT_LE(t0, t1) << msg;
  EXPECT_LE(t1, t2) << msg;
  EXPECT_GE(wt, t2) << msg;
  EXPECT_STREQ(cJSON_GetObjectItem(cJSON_GetObjectItem(performance, "sub_params"), "url")->valuestring, url.c_str());
  for (const StatRecord& record : records)
    EXPECT_TRUE(cJSON_IsString(cJSON_GetObjectItem(record.params.get(), "net_type"))) << record.action;
}
