// The statistics records on their own: which URLs are measured and how they
// are reported, the console records, and loads without a start.
#include "core/owners.h"
#include "webview/webview_load_stats.h"

#include "core/json_object.h"
#include "core/path_utils.h"
#include "webview/webview_json.h"
#include "webview/webview_stat_sink.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using namespace VemoSDK;

struct Sent {
  std::string action;
  vemo::JsonPtr params;
};
std::vector<Sent>& sent() {
  static std::vector<Sent> records;
  return records;
}
bool keep(const char*, const char* action, JsonObject* params) {
  sent().push_back({action, vemo::JsonPtr(cJSON_Parse(params->print().c_str()))});
  return true;
}

class LoadStatsTest : public ::testing::Test {
protected:
  LoadStatsTest() {
    sent().clear();
    setWebViewStatSink(keep);
  }
  ~LoadStatsTest() override { setWebViewStatSink(nullptr); }
  static std::string consoleEvent(const std::string& source, const std::string& text) {
    vemo::JsonPtr event(cJSON_CreateObject());
    cJSON* message = cJSON_AddObjectToObject(event.get(), "message");
    cJSON_AddStringToObject(message, "source", source.c_str());
    cJSON_AddStringToObject(message, "text", text.c_str());
    return printJson(event.get(), false);
  }
};

TEST(LoadStatsUrls, ReportedUrls) {
  struct Case {
    const char* url;
    const char* programDir;
    const char* reported;
  } cases[] = {
      {"https://example.com/a?b=1", "C:\\Game\\", "https://example.com/a?b=1"},
      {"file:///C:/Game/pages/index.html", "C:\\Game\\", "pages/index.html"},
      // Both sides in one spelling: case, slashes and escapes do not matter.
      {"file:///c:/game/My%20Pages/index.html", "C:\\Game\\", "my pages/index.html"},
      {"file://C:\\Game\\pages\\index.html", "C:/Game", "pages/index.html"},
      // A page outside the program folder is never sent with its local path.
      {"file:///C:/Users/alice/Desktop/page.html", "C:\\Game\\", "page.html"},
      {"file:///C:/GameOther/page.html", "C:\\Game\\", "page.html"},
      {"about:blank", "C:\\Game\\", ""},
      {"javascript:void(0)", "C:\\Game\\", ""},
      {"", "C:\\Game\\", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(WebViewLoadStats::reportUrl(c.url, c.programDir), c.reported) << c.url;
}

TEST_F(LoadStatsTest, ALoadWithoutAStartSendsNothing) {
  WebViewLoadStats stats;
  stats.onUrlLoaded("https://example.com/", true);
  stats.recordPageStart("about:blank", 1);
  stats.onUrlLoaded("about:blank", true);
  stats.recordPageStart("https://example.com/a", 1);
  stats.onUrlLoaded("https://example.com/b", true);  // redirected elsewhere
  EXPECT_TRUE(sent().empty());

  stats.onUrlLoaded("https://example.com/a", false);
  ASSERT_EQ(sent().size(), 1u);
  EXPECT_EQ(sent()[0].action, "webview.cost");
  EXPECT_TRUE(cJSON_IsTrue(cJSON_GetObjectItem(sent()[0].params.get(), "result"))) << "true marks a failed load";
  EXPECT_EQ(cJSON_GetObjectItem(sent()[0].params.get(), "wv_cost_time"), nullptr);
  stats.onUrlLoaded("https://example.com/a", true);  // the start was used up
  EXPECT_EQ(sent().size(), 1u);
}

TEST_F(LoadStatsTest, ConsoleRecords) {
  WebViewLoadStats stats;
  stats.onConsoleMessage(consoleEvent("console-api", "hello"));
  stats.onConsoleMessage(consoleEvent("javascript", std::string(WebViewLoadStats::kMarker) + "{}"));
  stats.onConsoleMessage("not json");
  EXPECT_TRUE(sent().empty());

  stats.onConsoleMessage(consoleEvent(
      "console-api", std::string(WebViewLoadStats::kMarker) +
                         R"({"ts":1000,"ts0":1450,"ts1":1500,"ts2":1600,"wt":700,"ct":3,"url":"https://e.com/"})"));
  stats.onConsoleMessage(consoleEvent("console-api", std::string(WebViewLoadStats::kMarker) + "{broken"));
  ASSERT_EQ(sent().size(), 2u);
  EXPECT_EQ(sent()[0].action, "webview.performance");
  EXPECT_STREQ(cJSON_GetObjectItem(sent()[0].params.get(), "msg")->valuestring, "t0=450&t1=500&t2=600&wt=700&ct=3");
  EXPECT_STREQ(cJSON_GetObjectItem(cJSON_GetObjectItem(sent()[0].params.get(), "sub_params"), "url")->valuestring,
               "https://e.com/");
  EXPECT_STREQ(cJSON_GetObjectItem(sent()[1].params.get(), "msg")->valuestring, "t0=0&t1=0&t2=0&wt=0&ct=0");
  EXPECT_STREQ(cJSON_GetObjectItem(cJSON_GetObjectItem(sent()[1].params.get(), "sub_params"), "url")->valuestring, "");
}

TEST_F(LoadStatsTest, InitialisationRecords) {
  WebViewLoadStats stats;
  stats.setInitCost(1000, 1250);
  SetLastError(ERROR_FILE_NOT_FOUND);
  stats.onInitEnd(false, -2147467259LL, "invalid controller");
  ASSERT_EQ(sent().size(), 1u);
  const cJSON* params = sent()[0].params.get();
  EXPECT_EQ(sent()[0].action, "webview.init.end");
  EXPECT_TRUE(cJSON_IsFalse(cJSON_GetObjectItem(params, "result")));
  EXPECT_EQ(cJSON_GetObjectItem(params, "code")->valuedouble, -2147467259.0);
  EXPECT_EQ(cJSON_GetObjectItem(params, "wv_cost_time")->valuedouble, 250);
  EXPECT_EQ(cJSON_GetObjectItem(params, "last_error_code")->valuedouble, ERROR_FILE_NOT_FOUND);
  std::string text = cJSON_GetObjectItem(params, "last_error_msg")->valuestring;
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_STREQ(cJSON_GetObjectItem(params, "msg")->valuestring, "invalid controller");
  EXPECT_TRUE(cJSON_IsString(cJSON_GetObjectItem(params, "net_type")));
}

}  // namespace
