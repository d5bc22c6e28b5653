#include "webview/engine/devtools_endpoint.h"
#include "webview/engine/web_engine.h"

#include <gtest/gtest.h>

#include "core/file_utils.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

using VemoSDK::WebEngine::DevToolsEndpoint;

TEST(DevToolsEndpoint, AcceptsOnlyALoopbackHostAndAPort) {
  struct Case {
    const char* text;
    bool ok;
    int port;
  };
  const Case cases[] = {
      {"127.0.0.1:9222", true, 9222},
      {"  127.0.0.1:40001\r\n", true, 40001},
      {"127.0.0.1:65535", true, 65535},
      {"127.0.0.1:0", false, 0},
      {"127.0.0.1:65536", false, 0},
      {"127.0.0.1:", false, 0},
      {"127.0.0.1:12ab", false, 0},
      {"127.0.0.1:9222 extra", false, 0},
      {"10.0.0.1:9222", false, 0},
      {"localhost:9222", false, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    DevToolsEndpoint endpoint;
    EXPECT_EQ(VemoSDK::WebEngine::parseDevToolsEndpoint(c.text, endpoint), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(endpoint.port, c.port) << c.text;
      EXPECT_EQ(endpoint.host, "127.0.0.1");
    }
  }
}

TEST(DevToolsEndpoint, ARuntimeFolderWithoutBrowserFailsCreationAtOnce) {
  vemo::test::TempDir dir("webview_endpoint");
  bool called = false;
  const HRESULT result = VemoSDK::WebEngine::createEnvironment(
      utf8_to_wstring(dir.path()), utf8_to_wstring(dir.path() + "\\profile"), {},
      [&](HRESULT, std::shared_ptr<VemoSDK::WebEngine::Environment>) { called = true; });
  EXPECT_LT(result, 0);
  EXPECT_FALSE(called);
}

}  // namespace
