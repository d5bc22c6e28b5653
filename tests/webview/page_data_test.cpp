// Page options as each key's JSON type allows, and per-URL injection data.
#include "core/owners.h"
#include "webview/webview_page_data.h"

#include <gtest/gtest.h>

namespace {

using namespace VemoSDK;

TEST(WebViewPageOptions, DefaultsForEmptyBrokenOrMistypedOptions) {
  for (const char* text : {"{}", "[1]", "not json", "{\"custom_error\":0,\"enable_loading\":null,\"draggable\":1}"}) {
    WebViewPageOptions options = WebViewPageOptions::fromText(text);
    EXPECT_TRUE(options.enableLoading) << text;
    EXPECT_TRUE(options.customError) << text;
    EXPECT_FALSE(options.draggable) << text;
    EXPECT_EQ(options.httpErrorSet, WebViewPageOptions::defaultHttpErrorSet()) << text;
  }
  EXPECT_TRUE(WebViewPageOptions::fromText(nullptr).customError);
  const std::set<int32_t>& set = WebViewPageOptions::defaultHttpErrorSet();
  EXPECT_EQ(set.size(), 40u);
  for (int32_t in : {400, 417, 421, 429, 431, 451, 500, 508, 510, 511}) EXPECT_EQ(set.count(in), 1u) << in;
  for (int32_t out : {399, 418, 420, 430, 450, 509, 512, 404 + 200}) EXPECT_EQ(set.count(out), 0u) << out;
}

TEST(WebViewPageOptions, ReadsEveryKeyOfItsType) {
  WebViewPageOptions options = WebViewPageOptions::fromText(R"({
    "compactMode": true, "hide_close_btn": true, "stat_performance": true, "draggable": true,
    "enable_loading": false, "show_title": true, "custom_error": false, "nonmodal_window": true,
    "nonmodal_window_frame": {"dx": 1, "dy": -2, "width": 300.7, "height": "x"},
    "closeEventData": "bye", "fallback_url": "file://C:/f.html", "min_width": 640, "min_height": 480,
    "enable_multi_instance": true, "webview_id": "community", "webview_flags": "--x",
    "custom_http_error": [302, "x", 600]})");
  EXPECT_TRUE(options.compactMode && options.hideCloseButton && options.statPerformance && options.draggable);
  EXPECT_FALSE(options.enableLoading || options.customError);
  EXPECT_TRUE(options.showTitle && options.nonmodalWindow && options.enableMultiInstance);
  EXPECT_EQ(options.nonmodalWindowFrame.dx, 1);
  EXPECT_EQ(options.nonmodalWindowFrame.dy, -2);
  EXPECT_EQ(options.nonmodalWindowFrame.width, 300);
  EXPECT_EQ(options.nonmodalWindowFrame.height, 0);
  EXPECT_EQ(options.closeEventData, "bye");
  EXPECT_EQ(options.fallbackUrl, "file://C:/f.html");
  EXPECT_EQ(options.minWidth, 640);
  EXPECT_EQ(options.minHeight, 480);
  EXPECT_EQ(options.webviewId, "community");
  EXPECT_EQ(options.webviewFlags, "--x");
  EXPECT_EQ(options.httpErrorSet.size(), 42u);
  EXPECT_EQ(options.httpErrorSet.count(302), 1u);
  EXPECT_EQ(options.httpErrorSet.count(600), 1u);
}

TEST(WebViewPageOptions, FrameNeedsANonmodalWindow) {
  WebViewPageOptions options =
      WebViewPageOptions::fromText(R"({"nonmodal_window": 1, "nonmodal_window_frame": {"dx": 5, "width": 9}})");
  EXPECT_FALSE(options.nonmodalWindow);
  EXPECT_EQ(options.nonmodalWindowFrame.dx, 0);
  EXPECT_EQ(options.nonmodalWindowFrame.width, 0);
}

std::string startupOf(const WebViewPageData& data, const std::string& url) {
  vemo::JsonPtr startup = data.js_get_startup_data(url);
  return startup ? printJson(startup.get(), false) : "null";
}

TEST(WebViewPageData, LongestKeyInsideTheUrlWins) {
  WebViewPageData data(R"({
    "game.example/a": {"startupData": 1},
    "game.example/a/b": {"startupData": 2},
    "game.example/a/c": {"startupData": 3},
    "game.example/a/b/x": "not an object",
    "C:\\pages\\index.html": {"startupData": {"local": true}},
    "other": {"none": 0}})",
                       nullptr);
  const std::pair<const char*, const char*> cases[] = {
      {"https://game.example/a/b/c", "2"},
      {"https://game.example/a/c", "3"},
      {"https://game.example/a", "1"},
      {"https://game.example/a/b/x/y", "null"},  // the longest holds no object
      {"file://C:/pages/index.html", "{\"local\":true}"},
      {"https://other/", "null"},  // an object without startupData
      {"https://nothing.example/", "null"},
  };
  for (const auto& c : cases) EXPECT_EQ(startupOf(data, c.first), c.second) << c.first;
  EXPECT_EQ(printJson(data.getCurrentURLInjectionData("https://game.example/a/b").get(), false),
            "{\"startupData\":2}");
}

TEST(WebViewPageData, FirstOfEqualLengthWins) {
  WebViewPageData data(R"({"ab": {"startupData": "first"}, "bc": {"startupData": "second"}})", "{}");
  EXPECT_EQ(startupOf(data, "abc"), "\"first\"");
}

TEST(WebViewPageData, AddedKeysAreNormalisedLikeLoadedUrls) {
  // The error page is given the current page's data under its Windows path;
  // it must be found again under the URL the page is loaded as.
  WebViewPageData data("{}", "{}");
  vemo::JsonPtr item(cJSON_Parse(R"({"startupData": {"from": "entry"}})"));
  data.addInjectionData("Z:\\prog dir\\WebView2\\VemoPages\\vemo_error.html", item.get());
  EXPECT_EQ(startupOf(data, "file://Z:/prog%20dir/WebView2/VemoPages/vemo_error.html?code=-5"),
            "{\"from\":\"entry\"}");
}

TEST(WebViewPageData, WithoutInjectionThereIsNoStartupData) {
  for (const char* text : {static_cast<const char*>(nullptr), "broken", "[1,2]"}) {
    WebViewPageData data(text, nullptr);
    EXPECT_EQ(startupOf(data, "https://game.example/"), "null");
    EXPECT_TRUE(data.isTransparentable("https://game.example/"));
  }
}

TEST(WebViewPageData, CustomHttpErrorsAndTheErrorSwitch) {
  WebViewPageData data(nullptr, R"({"custom_http_error": [302]})");
  EXPECT_TRUE(data.isCustomHttpError(302));
  EXPECT_TRUE(data.isCustomHttpError(404));
  EXPECT_FALSE(data.isCustomHttpError(418));
  EXPECT_TRUE(data.options().customError);
  data.setCustomError(false);
  EXPECT_FALSE(data.options().customError);
}

}  // namespace
