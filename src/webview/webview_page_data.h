#pragma once
// What one host knows about its pages: the options, and the injection object
// (per-URL data that pages fetch with "getStartupData" and that rides along
// with "notifyLua"). UI thread only.
#include "core/owners.h"
#include "webview/webview_json.h"
#include "webview/webview_page_options.h"

#include <string>

namespace VemoSDK {

class WebViewPageData {
public:
  // Texts that do not parse count as absent. Injection keys that are local
  // paths are stored in their normal URL form, so "C:\pages\index.html"
  // matches the loaded "file://C:/pages/index.html".
  WebViewPageData(const char* injectionText, const char* optionsText);

  WebViewPageOptions options() const { return options_; }

  // The value (a copy, only when it is an object) under the longest
  // injection key found inside url; the first of equal length wins. Null
  // when none matches.
  vemo::JsonPtr getCurrentURLInjectionData(const std::string& url) const;
  // The "startupData" member of that value, or null.
  vemo::JsonPtr js_get_startup_data(const std::string& url) const;
  // Adds a copy of value under key, normalised like every other key.
  void addInjectionData(const std::string& key, const cJSON* value);

  bool isCustomHttpError(int32_t status) const { return options_.httpErrorSet.count(status) != 0; }
  void setCustomError(bool on) { options_.customError = on; }
  bool isTransparentable(const std::string& url) const;

private:
  vemo::JsonPtr injection_;  // an object, or null when none was given
  WebViewPageOptions options_;
};

}  // namespace VemoSDK
