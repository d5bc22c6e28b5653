// The host driven by a stand-in engine: creation, settings and the user
// agent, load failures to the error event, the page bridge, preparation and
// take-over, and what happens to callbacks and answers once a host is gone.
#include "core/owners.h"
#include "webview/vemo_webview.h"

#include "sdk/exports.h"
#include "core/lua_task_queue.h"
#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "core/text_convert.h"
#include "fake_web_engine.h"
#include "lua/vemosdk_module.h"
#include "lua_values.h"
#include "test_support.h"
#include "webview/webview_event_dispatcher.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace VemoSDK;
using vemo::test::FakeController;
using vemo::test::FakeEngine;
using vemo::test::FakeWebView;

struct RecordingListener : VemoWebViewListener {
  void onWebViewCreated(bool ok) override { created.push_back(ok); }
  void onNavigationStarting() override { ++starts; }
  void onNavigationCompleted(bool ok) override { completed.push_back(ok); }
  cJSON* onWebMessage(const std::string& id, const std::string& name, const cJSON*) override {
    messages.push_back(id + ":" + name);
    return name == "askWindow" ? cJSON_CreateString("from window") : nullptr;
  }
  std::vector<bool> created, completed;
  int starts = 0;
  std::vector<std::string> messages;
};

struct Task {
  std::string name;
  std::string code;
  vemo::JsonPtr json;
};

class HostTest : public ::testing::Test {
protected:
  HostTest() : dir_("webview-host") {
    std::string program = dir_.file("program") + "\\";
    CreateDirectoryW(utf8_to_wstring(program).c_str(), nullptr);
    vemo::test::write_file(program + "sdkconfig.json", R"({"game_id":"host-test","package_name":"com.vemo.sample"})");
    vemosdk_set_context(build_sdk_context(program, "", "1.0.9", nullptr));
    runtime_ = dir_.file("runtime");
    CreateDirectoryW(utf8_to_wstring(runtime_).c_str(), nullptr);
    CreateDirectoryW(utf8_to_wstring(runtime_ + "\\VemoPages").c_str(), nullptr);
    vemo::test::write_file(runtime_ + "\\VemoPages\\vemo_error.html", "<p>error</p>");
    VemoSDK::setWebviewPath(runtime_.c_str());
    runtimeWide_ = utf8_to_wstring(runtime_);
    window_ = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                              nullptr);
    drainTasks();
  }
  ~HostTest() override {
    DestroyWindow(window_);
    VemoSDK::setWebviewPath("");
    vemosdk_set_context(nullptr);
  }

  std::unique_ptr<VemoWebView> make(const std::string& url, const char* options = "{}",
                                    const char* injection = "{}", bool prepare = false) {
    WebViewSettingsMap settings{{"webview_path", runtimeWide_.c_str()}, {"options", options},
                                {"injection", injection}};
    return std::make_unique<VemoWebView>(window_, url, 0, 0, 0, 0, settings, &listener_, prepare);
  }
  FakeWebView& view(size_t index = 0) { return *engine_.controllers.at(index)->view; }

  std::vector<Task> drainTasks() {
    std::vector<Task> tasks;
    for (;;) {
      std::vector<std::string> values = vemo::test::pop_values(lua_.get(), LuaTaskQueue::getInstance()->tick(lua_.get()));
      if (values.size() != 4) break;
      tasks.push_back({values[0], values[1], vemo::JsonPtr(cJSON_Parse(values[2].c_str()))});
    }
    return tasks;
  }
  // The "WEBVIEW_EVENT" tasks with code 4.
  std::vector<std::string> errorPageUrls() {
    std::vector<std::string> urls;
    for (Task& task : drainTasks()) {
      if (task.name != "WEBVIEW_EVENT" || task.code != "#4") continue;
      const cJSON* data = cJSON_GetObjectItem(task.json.get(), "data");
      urls.push_back(cJSON_GetObjectItem(data, "error_page_url")->valuestring);
    }
    return urls;
  }

  vemo::test::TempDir dir_;
  std::string runtime_;
  std::wstring runtimeWide_;
  HWND window_ = nullptr;
  FakeEngine engine_;
  RecordingListener listener_;
  vemo::test::LuaStateHolder lua_;
};

TEST_F(HostTest, CreationAppliesSettingsAndNavigates) {
  auto host = make("https://game.example/index.html");
  EXPECT_EQ(host->state(), kWebViewNew);
  engine_.runPending();
  ASSERT_EQ(engine_.controllers.size(), 1u);
  EXPECT_EQ(host->state(), kWebViewReady);
  EXPECT_EQ(listener_.created, (std::vector<bool>{true}));
  FakeWebView& page = view();
  EXPECT_EQ(page.navigations, (std::vector<std::string>{"https://game.example/index.html"}));
  EXPECT_TRUE(page.settingsObject.script && page.settingsObject.dialogs && page.settingsObject.messages);
  EXPECT_FALSE(page.settingsObject.reputation);
  EXPECT_EQ(page.settingsObject.agent, "Mozilla/5.0 Fake OrbApp(KVSDK/3.0.14) com.vemo.sampleClient/1.0.9");
  EXPECT_EQ(page.filters, (std::vector<std::string>{"file:///VemoOfflineRedirect/*"}));
  EXPECT_EQ(page.devToolsCalls, (std::vector<std::string>{"Network.enable", "Console.enable"}));
  EXPECT_EQ(engine_.controllers[0]->background.a, 0);  // transparent
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(engine_.controllers[0]->boundsValue.right, client.right);
  EXPECT_EQ(engine_.starts.at(0).arguments, "--disable-features=msSmartScreenProtection");
  EXPECT_EQ(engine_.starts.at(0).runtimeFolder, runtimeWide_);
}

TEST_F(HostTest, FilePagesGetTheirOwnProfileAndArguments) {
  auto host = make("file://C:\\pages\\index.html", R"({"webview_flags":"--mine"})");
  auto plain = make("file://C:\\pages\\index.html");
  engine_.runPending();
  EXPECT_EQ(engine_.starts.at(0).arguments, "--mine");
  EXPECT_EQ(engine_.starts.at(1).arguments,
            "--allow-file-access-from-files --disable-web-security --disable-features=msSmartScreenProtection");
  std::wstring folder = engine_.starts.at(1).userDataFolder;
  EXPECT_NE(folder.find(L"\\WebView2\\host-test\\"), std::wstring::npos) << wstring_to_utf8(folder);
  EXPECT_NE(folder.find(L"\\files_env\\"), std::wstring::npos) << wstring_to_utf8(folder);
  EXPECT_EQ(view(0).navigations.at(0), "file://C:/pages/index.html");
}

TEST_F(HostTest, CreationFailuresSetTheirState) {
  engine_.startResult = E_FAIL;
  auto failed = make("https://a/");
  EXPECT_EQ(failed->state(), kWebViewEnvironmentFailed);
  engine_.startResult = S_OK;
  engine_.environmentResult = E_ACCESSDENIED;
  auto invalid = make("https://a/");
  engine_.runPending();
  EXPECT_EQ(invalid->state(), kWebViewEnvironmentFailed);
  EXPECT_EQ(listener_.created, (std::vector<bool>{false, false}));
}

TEST_F(HostTest, EntryPageFailuresBecomeTheErrorEvent) {
  struct Case {
    int http;
    int webError;
    const char* errorUrl;  // null: no event
  } cases[] = {
      {404, 0, "vemo://error?code=-5&sub_code=404&url=http%3A%2F%2F127.0.0.1%3A9%2Fpage%3Fa%3D1"},
      {503, 16, "vemo://error?code=-5&sub_code=503&url=http%3A%2F%2F127.0.0.1%3A9%2Fpage%3Fa%3D1"},
      {0, 13, "vemo://error?code=-2&url=http%3A%2F%2F127.0.0.1%3A9%2Fpage%3Fa%3D1"},
      {0, 6, "vemo://error?code=-2&url=http%3A%2F%2F127.0.0.1%3A9%2Fpage%3Fa%3D1"},
      {0, 2, "vemo://error?code=-4&url=http%3A%2F%2F127.0.0.1%3A9%2Fpage%3Fa%3D1"},
      {0, 7, "vemo://error?code=-3&url=http%3A%2F%2F127.0.0.1%3A9%2Fpage%3Fa%3D1"},
      {0, 14, "vemo://error?code=-1&url=http%3A%2F%2F127.0.0.1%3A9%2Fpage%3Fa%3D1"},
      {0, 9, nullptr},    // aborted
      {418, 0, nullptr},  // not in the page's HTTP error set
  };
  for (const Case& c : cases) {
    FakeEngine engine;
    auto host = make("http://127.0.0.1:9/page?a=1");
    engine.runPending();
    drainTasks();
    FakeWebView& page = *engine.controllers.at(0)->view;
    page.start("http://127.0.0.1:9/page?a=1");
    page.complete(false, c.http, c.webError);
    std::vector<std::string> urls = errorPageUrls();
    if (c.errorUrl) {
      EXPECT_EQ(urls, (std::vector<std::string>{c.errorUrl})) << c.http << "/" << c.webError;
      EXPECT_EQ(page.stops, 1);
    } else {
      EXPECT_TRUE(urls.empty()) << c.http << "/" << c.webError;
    }
    EXPECT_EQ(host->state(), kWebViewLoadFailed);
  }
}

TEST_F(HostTest, OnlyTheEntryPageFailsLoudly) {
  auto host = make("http://127.0.0.1:9/");
  engine_.runPending();
  FakeWebView& page = view();
  page.start("http://127.0.0.1:9/");
  page.complete(true, 200, 0);
  EXPECT_EQ(host->state(), kWebViewLoaded);
  page.start("http://127.0.0.1:9/next");  // a link inside the page
  page.complete(false, 404, 0);
  page.devToolsEvent("Network.loadingFailed", R"({"type":"Image","errorText":"net::ERR_FAILED"})");
  EXPECT_TRUE(errorPageUrls().empty());

  // Without the error page option nothing is reported either.
  auto quiet = make("http://127.0.0.1:9/", R"({"custom_error":false})");
  engine_.runPending();
  view(1).start("http://127.0.0.1:9/");
  view(1).complete(false, 404, 0);
  EXPECT_TRUE(errorPageUrls().empty());
}

TEST_F(HostTest, NavigationEventsCarryTheEntryUrl) {
  auto host = make("http://127.0.0.1:9/a");
  engine_.runPending();
  drainTasks();
  view().start("http://127.0.0.1:9/a");
  view().complete(true, 200, 0);
  std::vector<Task> tasks = drainTasks();
  ASSERT_EQ(tasks.size(), 2u);
  EXPECT_EQ(tasks[0].code, "#3");
  EXPECT_EQ(printJson(tasks[0].json.get(), false), R"({"url":"http://127.0.0.1:9/a","type":0})");
  EXPECT_EQ(printJson(tasks[1].json.get(), false),
            R"({"url":"http://127.0.0.1:9/a","type":1,"data":{"redirect_url":"http://127.0.0.1:9/a","is_entry_url":true,"status":200,"method":"GET"}})");
  EXPECT_EQ(listener_.starts, 1);
  EXPECT_EQ(listener_.completed, (std::vector<bool>{true}));
}

TEST_F(HostTest, TheErrorPageKeepsTheEntryAndGetsItsData) {
  auto host = make("http://127.0.0.1:9/a", "{}", R"({"127.0.0.1:9/a": {"startupData": {"lang": "en"}}})");
  engine_.runPending();
  host->loadUrl("vemo://error?code=-2&url=x");
  std::string expected = "file://" + runtime_ + "/VemoPages/vemo_error.html?code=-2&url=x";
  for (char& c : expected) c = c == '\\' ? '/' : c;
  EXPECT_EQ(view().navigations.back(), expected);
  EXPECT_EQ(host->currentUrl(), expected);
  view().start(expected);
  view().complete(true, 200, 0);
  std::vector<Task> tasks = drainTasks();
  ASSERT_FALSE(tasks.empty());
  EXPECT_STREQ(cJSON_GetObjectItem(tasks.back().json.get(), "url")->valuestring, "http://127.0.0.1:9/a");
  // The error page asks for its startup data and gets the entry page's.
  view().postString(R"({"id":"3","name":"getStartupData"})");
  EXPECT_NE(view().scripts.back().find("\"lang\":\t\"en\""), std::string::npos) << view().scripts.back();
}

TEST_F(HostTest, BridgeAnswersThePage) {
  auto host = make("https://game.example/", "{}", R"({"game.example": {"startupData": {"k": 1}, "x": 2}})");
  engine_.runPending();
  FakeWebView& page = view();
  page.start("https://game.example/");
  drainTasks();
  const std::string prefix = "if(vemosdk && vemosdk.nativeCallback) vemosdk.nativeCallback(";
  page.postString("%7B%22id%22%3A%221%22%2C%22name%22%3A%22transparentBackground%22%7D");
  page.postString(R"({"id":"1);alert(1);(","name":"transparentBackground"})");
  page.postString(R"({"name":"transparentBackground"})");  // no id: no reply
  page.postString("not json");
  page.postString(R"({"id":"s","name":"getStartupData"})");
  page.postString(R"({"id":"w","name":"askWindow"})");
  page.postString(R"({"id":"q","name":"unknown"})");
  page.postString(R"({"id":"c","name":"closeBrowser","args":{}})");
  ASSERT_EQ(page.scripts.size(), 5u);
  EXPECT_EQ(page.scripts[0], prefix + "1, {\n\t\"retval\":\t{\n\t\t\"transparentable\":\ttrue\n\t}\n})");
  EXPECT_EQ(page.scripts[1].rfind(prefix + "\"1);alert(1);(\", ", 0), 0u) << page.scripts[1];
  EXPECT_EQ(page.scripts[2], prefix + "\"s\", {\n\t\"retval\":\t{\n\t\t\"k\":\t1\n\t}\n})");
  EXPECT_EQ(page.scripts[3], prefix + "\"w\", {\n\t\"retval\":\t\"from window\"\n})");
  EXPECT_EQ(page.scripts[4], prefix + "\"q\", {\n\t\"retval\":\t{\n\t}\n})");
  EXPECT_EQ(listener_.messages, (std::vector<std::string>{"w:askWindow", "q:unknown", "c:closeBrowser"}));
}

TEST_F(HostTest, NotifyLuaAndTheLateAnswer) {
  auto host = make("https://game.example/", "{}", R"({"game.example": {"startupData": 1}})");
  engine_.runPending();
  FakeWebView& page = view();
  page.start("https://game.example/");
  drainTasks();
  page.postString(R"({"id":"n1","name":"notifyLua","args":{"click":[1,2]}})");
  page.postString(R"({"id":"n2","name":"notifyLua","asyncCall":true})");
  std::vector<Task> tasks = drainTasks();
  ASSERT_EQ(tasks.size(), 2u);
  EXPECT_EQ(tasks[0].code, "#0");
  std::string cbid = makeWebViewCbid("n1", host.get());
  EXPECT_EQ(printJson(tasks[0].json.get(), false),
            R"({"item":{"startupData":1},"cbid":")" + cbid + R"(","url":"https://game.example/","args":{"click":[1,2]}})");
  ASSERT_EQ(page.scripts.size(), 1u);  // the async call waits for Lua
  EXPECT_NE(page.scripts[0].find("nativeCallback(\"n1\", {\n\t\"retval\":\t{\n\t}\n})"), std::string::npos);

  WebViewEventDispatcher::instance().deliverCallback(cbid, R"({"ok":true})");
  ASSERT_EQ(page.scripts.size(), 2u);
  EXPECT_NE(page.scripts[1].find(R"(nativeCallback("n1", {)"), std::string::npos);
  EXPECT_NE(page.scripts[1].find(R"("retval":	"{\"ok\":true}")"), std::string::npos) << page.scripts[1];
  WebViewEventDispatcher::instance().deliverCallback(cbid, "twice");
  EXPECT_EQ(page.scripts.size(), 2u);

  std::string pendingCbid = makeWebViewCbid("n2", host.get());
  host.reset();  // the window closed before Lua answered
  WebViewEventDispatcher::instance().deliverCallback(pendingCbid, "late");
  EXPECT_EQ(page.scripts.size(), 2u);
}

// The main-thread handler a program registered: it keeps the jobs for later.
std::vector<std::pair<vemosdk_main_thread_callback, void*>> g_deferred;
void deferJob(vemosdk_main_thread_callback callback, void* argument) { g_deferred.emplace_back(callback, argument); }

TEST_F(HostTest, LuaAnswersGoThroughTheProgramsMainThreadHandler) {
  auto host = make("https://game.example/");
  engine_.runPending();
  FakeWebView& page = view();
  page.postString(R"({"id":"7","name":"notifyLua","asyncCall":true})");
  luaL_requiref(lua_.get(), "_vemosdk", luaopen_vemosdk, 1);
  lua_pop(lua_.get(), 1);
  std::string call = "_vemosdk.webview_callback_js('" + makeWebViewCbid("7", host.get()) + "', '{\"n\":1}')";

  vemosdk_set_main_thread_handler(deferJob);
  EXPECT_EQ(vemo::test::run_chunk(lua_.get(), call), "");
  vemosdk_set_main_thread_handler(nullptr);
  EXPECT_TRUE(page.scripts.empty());  // not yet: the program runs it on its UI thread
  ASSERT_EQ(g_deferred.size(), 1u);
  g_deferred[0].first(g_deferred[0].second);
  g_deferred.clear();
  ASSERT_EQ(page.scripts.size(), 1u);
  EXPECT_NE(page.scripts[0].find(R"(nativeCallback(7, {)"), std::string::npos) << page.scripts[0];

  // Without a handler the answer runs in place; wrong types are Lua's argument errors.
  page.postString(R"({"id":"8","name":"notifyLua","asyncCall":true})");
  vemo::test::run_chunk(lua_.get(), "_vemosdk.webview_callback_js('" + makeWebViewCbid("8", host.get()) + "', '1')");
  EXPECT_EQ(page.scripts.size(), 2u);
  EXPECT_NE(vemo::test::run_chunk(lua_.get(), "_vemosdk.webview_callback_js({}, '1')").find("bad argument #1"),
            std::string::npos);
}

TEST_F(HostTest, DestructionTakesThePageDownBeforeTheProfileLock) {
  auto host = make("https://a/");
  engine_.runPending();
  std::shared_ptr<FakeController> controller = engine_.controllers.at(0);
  ASSERT_GT(controller->view->handlerCount(), 0u);
  std::wstring lockFile = engine_.starts.at(0).userDataFolder + L"_lock.vmeb";
  bool lockHeldAtClose = false;
  size_t handlersAtClose = 99;
  controller->onClose = [&] {
    handlersAtClose = controller->view->handlerCount();
    vemo::UniqueHandle probe(CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    OVERLAPPED range = {};
    lockHeldAtClose = probe && !LockFileEx(probe.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 0,
                                           0xFFFFFFFF, &range);
  };
  host.reset();
  EXPECT_TRUE(controller->closed);
  EXPECT_EQ(handlersAtClose, 0u);
  EXPECT_TRUE(lockHeldAtClose);
}

TEST_F(HostTest, CallbacksOfADestroyedHostDoNothing) {
  auto host = make("https://a/");
  host.reset();
  auto other = make("https://b/");  // may well live at the same address
  EXPECT_EQ(engine_.runPending(), 3);  // two environments, one controller
  ASSERT_EQ(engine_.controllers.size(), 1u);
  EXPECT_EQ(view().navigations, (std::vector<std::string>{"https://b/"}));
  EXPECT_EQ(listener_.created, (std::vector<bool>{true}));
}

TEST_F(HostTest, APreparedPageIsTakenOverWithItsHandlersOnce) {
  auto host = make("file://C:/pages/index.html", "{}", "{}", true);
  engine_.runPending();
  EXPECT_EQ(host->state(), kWebViewReady);
  EXPECT_TRUE(listener_.created.empty());
  FakeWebView& page = view();
  EXPECT_TRUE(page.navigations.empty());
  size_t handlers = page.handlerCount();
  std::string agent = page.settingsObject.agent;

  host->initWebView();
  EXPECT_EQ(engine_.starts.size(), 1u);  // no second environment
  EXPECT_EQ(engine_.runPending(), 0);
  EXPECT_EQ(page.navigations, (std::vector<std::string>{"file://C:/pages/index.html"}));
  EXPECT_EQ(page.handlerCount(), handlers);
  EXPECT_EQ(page.settingsObject.agent, agent);
  EXPECT_EQ(page.settingsObject.agentPuts, 2);
  EXPECT_EQ(listener_.created, (std::vector<bool>{true}));
  page.postString(R"({"id":"1","name":"transparentBackground"})");
  EXPECT_EQ(page.scripts.size(), 1u);  // dispatched once
}

TEST_F(HostTest, ALatePreparationNeverReplacesThePageInUse) {
  auto host = make("file://C:/pages/index.html", "{}", "{}", true);
  host->initWebView();  // before the preparation got anywhere
  ASSERT_EQ(engine_.pending.size(), 2u);
  std::swap(engine_.pending[0], engine_.pending[1]);  // the page's own environment answers first
  engine_.runOne();
  engine_.runOne();
  engine_.runPending();
  ASSERT_EQ(engine_.controllers.size(), 2u);
  EXPECT_FALSE(engine_.controllers[0]->closed);
  EXPECT_TRUE(engine_.controllers[1]->closed);  // the preparation's, too late
  EXPECT_EQ(view(0).navigations, (std::vector<std::string>{"file://C:/pages/index.html"}));
  view(0).postString(R"({"id":"1","name":"transparentBackground"})");
  EXPECT_EQ(view(0).scripts.size(), 1u);
}

TEST_F(HostTest, OfflineRequestsAreAnsweredFromTheProgramFolder) {
  auto host = make("https://a/");
  engine_.runPending();
  std::string program = dir_.file("program");
  vemo::test::write_file(program + "\\ui.css", "body{}");
  std::string url = "file:///VemoOfflineRedirect/" + program + "/ui.css";
  for (char& c : url) c = c == '\\' ? '/' : c;
  WebEngine::WebResourceRequestedArgs served = view().request(url);
  ASSERT_TRUE(served.response.has_value());
  EXPECT_EQ(served.response->statusCode, 200);
  EXPECT_EQ(served.response->body, "body{}");
  EXPECT_EQ(served.response->headers.at(0).second, "text/css; charset=utf-8");
  EXPECT_EQ(view().request("file:///VemoOfflineRedirect/C:/windows/win.ini").response->statusCode, 403);
  EXPECT_FALSE(view().request("https://a/ui.css").response.has_value());
}

}  // namespace
