#include "webview/webview_load_stats.h"

#include "core/debug_log.h"
#include "core/json_object.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/system_clock.h"
#include "webview/webview_json.h"
#include "webview/webview_stat_sink.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace VemoSDK {
namespace {

constexpr const char* kStatEvent = "sdk.lua.stat";

bool startsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One spelling for a local path: "%XX" decoded, "/" for "\", lower case,
// no leading slashes.
std::string comparablePath(const std::string& path) {
  std::string out;
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (c == '%' && i + 2 < path.size() && hexValue(path[i + 1]) >= 0 && hexValue(path[i + 2]) >= 0) {
      c = static_cast<char>(hexValue(path[i + 1]) * 16 + hexValue(path[i + 2]));
      i += 2;
    }
    if (c == '\\') c = '/';
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  size_t first = out.find_first_not_of('/');
  return first == std::string::npos ? std::string() : out.substr(first);
}

int64_t numberOf(const cJSON* object, const char* name) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, name);
  return cJSON_IsNumber(item) ? static_cast<int64_t>(item->valuedouble) : 0;
}

std::string lastErrorText(DWORD error) {
  char* raw = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 1033, reinterpret_cast<char*>(&raw), 0, nullptr);
  vemo::LocalPtr<char> text(raw);
  std::string message = length && text ? std::string(text.get(), length) : std::string();
  message.erase(std::remove_if(message.begin(), message.end(), [](char c) { return c == '\r' || c == '\n'; }),
                message.end());
  return message;
}

void addUrl(JsonObject& params, const std::string& url) {
  cJSON* sub = cJSON_CreateObject();
  cJSON_AddStringToObject(sub, "url", url.c_str());
  cJSON_AddItemToObject(params.get(), "sub_params", sub);
}

}  // namespace

bool WebViewLoadStats::isMeasured(const std::string& url) {
  return !url.empty() && !startsWith(url, "javascript:") && !startsWith(url, "about:blank");
}

std::string WebViewLoadStats::reportUrl(const std::string& url, const std::string& programDir) {
  if (!isMeasured(url)) return "";
  if (!startsWith(url, "file://")) return url;
  std::string page = comparablePath(url.substr(7));
  std::string folder = comparablePath(programDir);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  if (!folder.empty() && page.compare(0, folder.size(), folder) == 0) return page.substr(folder.size());
  size_t slash = page.find_last_of('/');
  return slash == std::string::npos ? page : page.substr(slash + 1);
}

std::string WebViewLoadStats::report(const std::string& url) const { return reportUrl(url, get_program_dir()); }

bool WebViewLoadStats::parseRecord(const std::string& text, WebViewStatRecord& record) {
  if (!startsWith(text, kMarker)) return false;
  record = WebViewStatRecord();
  vemo::JsonPtr json(cJSON_Parse(text.c_str() + std::strlen(kMarker)));
  const cJSON* url = cJSON_GetObjectItemCaseSensitive(json.get(), "url");
  if (cJSON_IsString(url)) record.url = url->valuestring;
  record.ts = numberOf(json.get(), "ts");
  record.ct = numberOf(json.get(), "ct");
  record.wt = numberOf(json.get(), "wt");
  record.t0 = numberOf(json.get(), "ts0") - record.ts;
  record.t1 = numberOf(json.get(), "ts1") - record.ts;
  record.t2 = numberOf(json.get(), "ts2") - record.ts;
  return true;
}

void WebViewLoadStats::sendRecord(const char* name, JsonObject& params) const {
  if (!enabled_) return;
  params.addString("net_type", std::to_string(webViewNetworkState()).c_str());
  if (WebViewStatSink sink = webViewStatSink()) sink(kStatEvent, name, &params);
}

void WebViewLoadStats::setInitCost(int64_t start, int64_t end) {
  initCost_ = end - start;
  vemo_debug_printf("wv_stat===>init_cost:%lld", static_cast<long long>(initCost_));
}

void WebViewLoadStats::onInitEnd(bool ok, int64_t code, const std::string& message) {
  DWORD lastError = GetLastError();
  JsonObject params;
  if (!params.create()) return;
  params.addBool("result", ok);
  params.addNumber("code", static_cast<double>(code));
  if (initCost_ > 0) params.addNumber("wv_cost_time", static_cast<double>(initCost_));
  if (!ok) {
    params.addNumber("last_error_code", static_cast<double>(lastError));
    params.addString("last_error_msg", lastErrorText(lastError).c_str());
    params.addString("msg", message.c_str());
  }
  sendRecord("webview.init.end", params);
}

void WebViewLoadStats::recordPageStart(const std::string& url, int64_t now) {
  if (!enabled_ || !isMeasured(url)) return;
  pageStarts_[report(url)] = now;
}

void WebViewLoadStats::onUrlLoaded(const std::string& url, bool ok) {
  if (!isMeasured(url)) return;
  std::string reported = report(url);
  auto found = pageStarts_.find(reported);
  if (found == pageStarts_.end()) return;
  int64_t cost = system_clock_ms() - found->second;
  pageStarts_.erase(found);
  vemo_debug_printf("wv_stat===>onUrlLoaded cost:%lld,url:%s", static_cast<long long>(cost), reported.c_str());
  JsonObject params;
  if (!params.create()) return;
  params.addNumber("cost_time", static_cast<double>(cost));
  params.addBool("result", !ok);  // the record's readers count true as a failed load
  if (initCost_ > 0) params.addNumber("wv_cost_time", static_cast<double>(initCost_));
  addUrl(params, reported);
  sendRecord("webview.cost", params);
}

void WebViewLoadStats::onConsoleMessage(const std::string& paramsJson) {
  vemo::JsonPtr event(cJSON_Parse(paramsJson.c_str()));
  const cJSON* message = cJSON_GetObjectItemCaseSensitive(event.get(), "message");
  const cJSON* source = cJSON_GetObjectItemCaseSensitive(message, "source");
  const cJSON* text = cJSON_GetObjectItemCaseSensitive(message, "text");
  if (!cJSON_IsString(source) || std::strcmp(source->valuestring, "console-api") != 0 || !cJSON_IsString(text)) return;
  WebViewStatRecord record;
  if (!parseRecord(text->valuestring, record)) return;
  std::string url = isMeasured(record.url) ? report(record.url) : record.url;
  vemo_debug_printf("wv_stat===>ts:%lld,ts0:%lld,ts1:%lld,ts2:%lld,ct:%lld,wt:%lld,url:%s",
                    static_cast<long long>(record.ts), static_cast<long long>(record.t0),
                    static_cast<long long>(record.t1), static_cast<long long>(record.t2),
                    static_cast<long long>(record.ct), static_cast<long long>(record.wt), url.c_str());
  char timings[128];
  std::snprintf(timings, sizeof timings, "t0=%lld&t1=%lld&t2=%lld&wt=%lld&ct=%lld", static_cast<long long>(record.t0),
                static_cast<long long>(record.t1), static_cast<long long>(record.t2),
                static_cast<long long>(record.wt), static_cast<long long>(record.ct));
  JsonObject params;
  if (!params.create()) return;
  params.addString("msg", timings);
  addUrl(params, url);
  sendRecord("webview.performance", params);
}

std::string WebViewLoadStats::timingScript(int64_t startTime) const {
  // loadEventEnd is 0 until the load event's handlers have run: the record
  // waits for it.
  return "(function(){function send(){var t=performance.timing;if(!t.loadEventEnd){setTimeout(send,50);return;}"
         "var s={start_time:" + std::to_string(startTime) +
         ",nav_type:performance.navigation.type,ts:t.navigationStart,ts0:t.responseEnd,ts1:t.domInteractive,"
         "ts2:t.domComplete,wt:t.loadEventEnd-t.navigationStart,ct:t.connectEnd-t.connectStart,url:location.href};"
         "console.log('" + std::string(kMarker) + "'+JSON.stringify(s));}send();})();";
}

}  // namespace VemoSDK
