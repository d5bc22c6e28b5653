#pragma once
// One page shown over the whole client area of the SDK's host window, the
// way pages opened by the scripts appear until web view windows of their
// own exist. UI thread only.
#include "webview/vemo_webview.h"

#include <memory>
#include <string>

namespace VemoSDK {

class MainWindowPage : public VemoWebViewListener {
public:
  static MainWindowPage& instance();

  // Replaces the page shown, if any.
  void open(const std::string& url, const std::string& injection, const std::string& options);
  // Closes the page and tells Lua ("WEBVIEW_EVENT" code 1); false when none is open.
  bool close();
  bool isOpened() const { return static_cast<bool>(host_); }
  VemoWebView* host() const { return host_.get(); }

  void onWebViewCreated(bool ok) override;
  void onNavigationStarting() override {}
  void onNavigationCompleted(bool) override {}
  cJSON* onWebMessage(const std::string& id, const std::string& name, const cJSON* args) override;

private:
  std::unique_ptr<VemoWebView> host_;
  std::string closeEventData_;
};

}  // namespace VemoSDK
