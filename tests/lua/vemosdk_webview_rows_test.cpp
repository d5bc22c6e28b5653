// The web view rows of _vemosdk with no page open: what webview_operator
// answers for each request, and sysinfo_open_url refusing what is not a
// web address before anything reaches the shell.
#include "vemosdk_fixture.h"

#include <string>

namespace {

using VemosdkWebViewRows = vemo::test::VemosdkModule;

TEST_F(VemosdkWebViewRows, OperatorAnswersWithoutAPage) {
  struct Case {
    const char* request;
    const char* answer;
  } cases[] = {
      {"not json", "false"},
      {R"({"data":{}})", "false"},
      {R"({"type":"fly"})", "false"},
      {R"({"type":"is_opened"})", "false"},
      {R"({"type":"prepare","data":{"webview_flags":"x"}})", "true"},
      {R"({"type":"call_js","data":{}})", "false"},
      {R"({"type":"call_js","data":{"js_str":""}})", "false"},
      {R"({"type":"call_js","data":{"js_str":"1"}})", "true"},
      {R"({"type":"show","data":{"webview_id":"community"}})", "false"},
      {R"({"type":"hide"})", "false"},
      {R"({"type":"remove_hide_cache","data":{"webview_id":"nobody"}})", "false"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.answer, run(std::string("return _vemosdk.webview_operator([[") + c.request + "]])")) << c.request;
  EXPECT_EQ("false", run("return _vemosdk.webview_call_js('1')")) << "no page to run it in";
  EXPECT_EQ("false", run("return _vemosdk.webview_call_js('')"));
  EXPECT_EQ("", run("return _vemosdk.webview_load_url('http://127.0.0.1:1/')"));
  while (run("return _vemosdk.tick()") != "nil") {
  }
  EXPECT_EQ("true", run(R"(return _vemosdk.webview_operator('{"type":"prepare"}'))"));
  EXPECT_EQ("nil", run("return _vemosdk.tick()")) << "a preparation with no window to make tells Lua nothing";
}

TEST_F(VemosdkWebViewRows, OpenUrlRefusesWhatIsNoWebAddress) {
  for (const char* url : {"file:///C:/windows/notepad.exe", "C:\\windows\\notepad.exe", "notepad", "http:",
                          "javascript:alert(1)", "", "ftp://host/x"}) {
    std::string result = run(std::string("return _vemosdk.sysinfo_open_url([[") + url + "]], '', '{}')");
    EXPECT_NE(std::string::npos, result.find("error: ")) << url << ": " << result;
    EXPECT_NE(std::string::npos, result.find("opens only http and https URLs")) << url << ": " << result;
  }
}

}  // namespace
