#pragma once
// The owners of the window Lua opened with webview_open: the browser opener
// lays a floater over the whole host window, the community opener opens a
// popup browser. Each has one current window and keeps hidden windows by
// their "webview_id". Window work goes to the UI thread (runWindowWork);
// the opener itself has no lock, the Lua and UI threads take turns.
#include "webview/windows/vemo_webview_window.h"

#include <cjson/cJSON.h>

#include <map>
#include <memory>
#include <string>

namespace VemoSDK {

class VemoBrowser;

class VemoBrowserOpener {
public:
  static VemoBrowserOpener& browserOpener();
  static VemoBrowserOpener& communityOpener();
  // The one rule for every request: the community opener when "webview_id"
  // is "community" or "enable_multi_instance" is true.
  static VemoBrowserOpener& forRequest(const cJSON* request);

  virtual ~VemoBrowserOpener();
  virtual const char* typeName() const { return "VemoBrowserOpener"; }

  void open(const std::string& url, const std::string& injection, const std::string& options);
  bool close();
  bool isOpened() const { return current_ != nullptr; }
  VemoWebViewWindow* currentWindow() const { return current_.get(); }
  bool hide(const cJSON* request);
  bool show(const cJSON* request);
  // Out of the hide cache ("Default" for a null or empty id), or null.
  std::unique_ptr<VemoWebViewWindow> takeWindow(const char* webviewId);
  // Makes a browser ahead of use (kept until a file page takes it, see
  // makeWindow); an existing one is kept.
  void prepare(const cJSON* request);
  const VemoBrowser* preparedBrowser() const { return prepared_.get(); }
  bool callJs(const std::string& script);
  bool callbackJs(const std::string& data, const std::string& extra);
  bool loadUrl(const std::string& url);

protected:
  // The prepared browser for a page it can take over: its engine was
  // started for file pages, so only a file page gets it.
  std::unique_ptr<VemoBrowser> takePreparedFor(const std::string& url);
  virtual std::unique_ptr<VemoWebViewWindow> makeWindow(HWND mainWindow, const std::string& url,
                                                        WebViewSettingsMap& params);

private:
  void performClose();
public:
  // Deletes a window taken out of the opener (its destructor closes it).
  static void discard(std::unique_ptr<VemoWebViewWindow> window);
private:
  // The close callback of a window: the window that closes goes, wherever it is kept.
  void forget(const VemoWebViewWindow* closing);

  std::unique_ptr<VemoWebViewWindow> current_;
  std::map<std::string, std::unique_ptr<VemoWebViewWindow>> hideCache_;
  std::unique_ptr<VemoBrowser> prepared_;
};

class VemoCommunityOpener : public VemoBrowserOpener {
public:
  const char* typeName() const override { return "VemoCommunityOpener"; }

protected:
  std::unique_ptr<VemoWebViewWindow> makeWindow(HWND mainWindow, const std::string& url,
                                                WebViewSettingsMap& params) override;
};

}  // namespace VemoSDK
