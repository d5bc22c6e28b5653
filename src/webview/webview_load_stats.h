#pragma once
// How long a web view took to start and each of its pages to load, and the
// browser's own navigation timing, sent as statistics records:
// "webview.init.end", "webview.cost" and "webview.performance". Owned by
// one host; every call comes from its engine callbacks on the UI thread.
#include <cstdint>
#include <map>
#include <string>

class JsonObject;

namespace VemoSDK {

// What the timing script logs, as read back from the console.
struct WebViewStatRecord {
  std::string url;
  int64_t ts = 0;
  int64_t ct = 0;
  int64_t wt = 0;
  int64_t t0 = 0;  // ts0 - ts
  int64_t t1 = 0;
  int64_t t2 = 0;
};

class WebViewLoadStats {
public:
  static constexpr const char* kMarker = "vemo_webview_stat:";

  void setInitCost(int64_t start, int64_t end);
  void onInitEnd(bool ok, int64_t code, const std::string& message);
  void recordPageStart(const std::string& url, int64_t now);
  void onUrlLoaded(const std::string& url, bool ok);
  // The parameters of a "Console.messageAdded" event, as JSON text.
  void onConsoleMessage(const std::string& paramsJson);
  std::string timingScript(int64_t startTime) const;

  int64_t initCost() const { return initCost_; }

  // The URL as records carry it: a page under the program folder by its
  // path inside that folder, any other local page by its file name alone
  // (a full local path would carry the player's user name); web URLs as
  // they are. Empty for URLs that are not measured.
  static std::string reportUrl(const std::string& url, const std::string& programDir);
  static bool isMeasured(const std::string& url);
  // The record in a console text that begins with the marker; false for any
  // other text.
  static bool parseRecord(const std::string& text, WebViewStatRecord& record);

private:
  void sendRecord(const char* name, JsonObject& params) const;
  std::string report(const std::string& url) const;

  std::map<std::string, int64_t> pageStarts_;
  int64_t initCost_ = -1;
  bool enabled_ = true;
};

}  // namespace VemoSDK
