// Page messages, the reply script, and Lua's answers routed back to the host
// that asked.
#include "core/owners.h"
#include "webview/js_bridge_message.h"
#include "webview/webview_event_dispatcher.h"

#include "core/lua_task_queue.h"
#include "lua_values.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace VemoSDK;

TEST(JsBridgeMessage, DecodesThenParses) {
  JsBridgeMessage message;
  ASSERT_TRUE(parseJsBridgeMessage("%7B%22id%22%3A%221%22%2C%22name%22%3A%22transparentBackground%22%7D", message));
  EXPECT_EQ(message.id, "1");
  EXPECT_EQ(message.name, "transparentBackground");
  EXPECT_FALSE(message.args);
  EXPECT_FALSE(message.asyncCall);

  ASSERT_TRUE(parseJsBridgeMessage(R"({"id":"7","name":"notifyLua","args":{"t":"a+b"},"asyncCall":true})", message));
  EXPECT_EQ(printJson(message.args.get(), false), R"({"t":"a b"})");  // "+" is a space
  EXPECT_TRUE(message.asyncCall);

  const std::pair<const char*, bool> asyncCases[] = {
      {R"({"asyncCall":1})", true},   {R"({"asyncCall":0})", false},   {R"({"asyncCall":"1"})", false},
      {R"({"asyncCall":false})", false}, {R"({"name":5,"id":[1]})", false},
  };
  for (const auto& c : asyncCases) {
    ASSERT_TRUE(parseJsBridgeMessage(c.first, message)) << c.first;
    EXPECT_EQ(message.asyncCall, c.second) << c.first;
    EXPECT_EQ(message.id, "");
  }
  for (const char* broken : {"", "{", "%7B", "[1]", "\"text\"", "null"})
    EXPECT_FALSE(parseJsBridgeMessage(broken, message)) << broken;
}

TEST(JsBridgeReply, TheIdIsAlwaysOneJsonValue) {
  const std::pair<const char*, const char*> cases[] = {
      {"1", "1"},
      {"-12.5e3", "-12.5e3"},
      {"1);alert(1);(", "\"1);alert(1);(\""},
      {"abc", "\"abc\""},
      {"01", "\"01\""},
      {"1.", "\"1.\""},
      {"Infinity", "\"Infinity\""},
      {"a\"b\\c\n", "\"a\\\"b\\\\c\\n\""},
      {" 1", "\" 1\""},
  };
  for (const auto& c : cases) EXPECT_EQ(jsBridgeIdLiteral(c.first), c.second) << c.first;
}

TEST(JsBridgeReply, ValueTextOrNothing) {
  vemo::JsonPtr value(cJSON_Parse(R"({"transparentable":true})"));
  EXPECT_EQ(buildJsBridgeReply("1", value.get(), nullptr),
            "if(vemosdk && vemosdk.nativeCallback) vemosdk.nativeCallback(1, {\n\t\"retval\":\t{\n\t\t"
            "\"transparentable\":\ttrue\n\t}\n})");
  std::string text = R"({"x":1})";
  EXPECT_EQ(buildJsBridgeReply("cb", nullptr, &text),
            "if(vemosdk && vemosdk.nativeCallback) vemosdk.nativeCallback(\"cb\", {\n\t\"retval\":\t\"{\\\"x\\\":1}\"\n})");
  EXPECT_EQ(buildJsBridgeReply("", value.get(), nullptr), "");
  EXPECT_EQ(buildJsBridgeReply("1", nullptr, nullptr), "");
}

struct RecordingHost : WebViewReplyTarget {
  RecordingHost() : serial(LiveWebViewHosts::add(this)) {}
  ~RecordingHost() override {
    LiveWebViewHosts::remove(serial);
    WebViewEventDispatcher::instance().forgetHost(serial);
  }
  void callbackJs(const std::string& id, const std::string& text) override { answers.push_back(id + "=" + text); }
  WebViewSerial serial;
  std::vector<std::string> answers;
};

std::vector<std::string> nextTask(lua_State* L) { return vemo::test::pop_values(L, LuaTaskQueue::getInstance()->tick(L)); }

class DispatcherTest : public ::testing::Test {
protected:
  DispatcherTest() {
    while (nextTask(lua_.get()) != std::vector<std::string>{"nil"}) {
    }
    WebViewEventDispatcher::instance().setUnknownCallbackHandler(
        [this](const char* id, const std::string& text) { unknown_.push_back((id ? id : "(null)") + ("=" + text)); });
  }
  ~DispatcherTest() override { WebViewEventDispatcher::instance().setUnknownCallbackHandler(nullptr); }
  // The cbid of the WEBVIEW_EVENT task the post left.
  std::string postedCbid() {
    std::vector<std::string> task = nextTask(lua_.get());
    EXPECT_EQ(task.size(), 4u);
    if (task.size() != 4) return "";
    EXPECT_EQ(task[0], "WEBVIEW_EVENT");
    EXPECT_EQ(task[1], "#0");
    vemo::JsonPtr json(cJSON_Parse(task[2].c_str()));
    const cJSON* cbid = cJSON_GetObjectItem(json.get(), "cbid");
    return cJSON_IsString(cbid) ? cbid->valuestring : "";
  }

  vemo::test::LuaStateHolder lua_;
  std::vector<std::string> unknown_;
};

TEST_F(DispatcherTest, PageMessageEventCarriesItemCbidUrlAndArgs) {
  RecordingHost host;
  vemo::JsonPtr args(cJSON_Parse(R"({"a":[1,2]})"));
  vemo::JsonPtr item(cJSON_Parse(R"({"startupData":{"k":"v"}})"));
  WebViewEventDispatcher::instance().postPageMessage(&host, host.serial, "9", "https://page/", args.get(), item.get());
  std::vector<std::string> task = nextTask(lua_.get());
  ASSERT_EQ(task.size(), 4u);
  vemo::JsonPtr json(cJSON_Parse(task[2].c_str()));
  EXPECT_EQ(printJson(json.get(), false),
            "{\"item\":{\"startupData\":{\"k\":\"v\"}},\"cbid\":\"" + makeWebViewCbid("9", &host) +
                "\",\"url\":\"https://page/\",\"args\":{\"a\":[1,2]}}");
  EXPECT_EQ(task[3], "nil");
  char pointer[32];
  std::snprintf(pointer, sizeof pointer, "%p", static_cast<void*>(&host));
  EXPECT_EQ(makeWebViewCbid("9", &host), std::string("9@@") + pointer);
  WebViewEventDispatcher::instance().forgetHost(host.serial);
}

TEST_F(DispatcherTest, AnswersReachTheAskingHostOnce) {
  RecordingHost first, second;
  auto& dispatcher = WebViewEventDispatcher::instance();
  dispatcher.postPageMessage(&first, first.serial, "a@b", "u1", nullptr, nullptr);
  std::string firstCbid = postedCbid();
  dispatcher.postPageMessage(&second, second.serial, "5", "u2", nullptr, nullptr);
  std::string secondCbid = postedCbid();

  dispatcher.deliverCallback(secondCbid, "{\"r\":2}");
  dispatcher.deliverCallback(firstCbid, "one");
  EXPECT_EQ(first.answers, (std::vector<std::string>{"a=one"}));  // the id up to its first "@"
  EXPECT_EQ(second.answers, (std::vector<std::string>{"5={\"r\":2}"}));

  dispatcher.deliverCallback(firstCbid, "again");  // the map is empty now: no id
  dispatcher.postPageMessage(&first, first.serial, "6", "u1", nullptr, nullptr);
  postedCbid();
  dispatcher.deliverCallback(secondCbid, "late");
  EXPECT_EQ(unknown_, (std::vector<std::string>{"(null)=again", "5=late"}));
  EXPECT_EQ(first.answers.size(), 1u);
}

TEST_F(DispatcherTest, AnswersForDestroyedHostsRunNothing) {
  auto& dispatcher = WebViewEventDispatcher::instance();
  std::string cbid;
  size_t before = dispatcher.pendingCount();
  {
    RecordingHost gone;
    dispatcher.postPageMessage(&gone, gone.serial, "1", "u", nullptr, nullptr);
    cbid = postedCbid();
    EXPECT_EQ(dispatcher.pendingCount(), before + 1);
  }
  EXPECT_EQ(dispatcher.pendingCount(), before);  // purged with its host

  // A new host at the same address is not the one that asked.
  alignas(RecordingHost) unsigned char storage[sizeof(RecordingHost)];
  RecordingHost* reused = new (storage) RecordingHost;
  {
    RecordingHost asker;
    dispatcher.postPageMessage(reused, asker.serial, "2", "u", nullptr, nullptr);
    cbid = postedCbid();
  }
  dispatcher.deliverCallback(cbid, "x");
  EXPECT_TRUE(reused->answers.empty());
  reused->~RecordingHost();
}

TEST_F(DispatcherTest, WithoutAHostTheIdIsTheCbid) {
  WebViewEventDispatcher::instance().postPageMessage(nullptr, 0, "plain", "u", nullptr, nullptr);
  EXPECT_EQ(postedCbid(), "plain");
  WebViewEventDispatcher::instance().postPageMessage(nullptr, 0, "", "u", nullptr, nullptr);
  EXPECT_EQ(postedCbid(), "");
}

}  // namespace
