#include "webview_test_env.h"

#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "core/text_convert.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

namespace vemo::test {

bool pumpUntil(const std::function<bool()>& done, int seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
  return true;
}

WebViewTestEnv::WebViewTestEnv(const std::string& name) : dir(name) {
  program = dir.file("program");
  CreateDirectoryW(utf8_to_wstring(program).c_str(), nullptr);
  write_file(program + "\\sdkconfig.json", R"({"game_id":"browser-test","package_name":"com.vemo.browser"})");
  vemosdk_set_context(build_sdk_context(program + "\\", "", "2.4.6", nullptr));
  // A runtime folder of its own: the browser's endpoint and version, and the error page.
  runtime = dir.file("runtime");
  CreateDirectoryW(utf8_to_wstring(runtime).c_str(), nullptr);
  CreateDirectoryW(utf8_to_wstring(runtime + "\\VemoPages").c_str(), nullptr);
  write_file(runtime + "\\VemoPages\\vemo_error.html", "<p>error</p>");
  EXPECT_TRUE(copy_browser_runtime(runtime)) << "no browser runtime folder";
  VemoSDK::setWebviewPath(runtime.c_str());
  www = http_root() + "\\webview";
  CreateDirectoryW(utf8_to_wstring(www).c_str(), nullptr);
}

WebViewTestEnv::~WebViewTestEnv() {
  VemoSDK::setWebviewPath("");
  vemosdk_set_context(nullptr);
}

std::string WebViewTestEnv::page(const std::string& name, const std::string& html) {
  write_file(www + "\\" + name, html);
  return http_base_url() + "/webview/" + name;
}

}  // namespace vemo::test
