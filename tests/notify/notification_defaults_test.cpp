// The notification centre of a process whose first notification names no
// sender: the default identity, and what one request does to the next.
#include "notification_fixture.h"

namespace {

using NotificationDefaults = vemo::test::NotificationCenter;

TEST_F(NotificationDefaults, ARequestWithoutTitleOrContentShowsNothingAndSetsNothingUp) {
  for (const char* request : {R"({"content":"c"})", R"({"title":"","content":"c"})", R"({"title":"t"})",
                              R"({"title":"t","content":""})", R"({"title":5,"content":"c"})", "[]", "not json"}) {
    EXPECT_EQ(-1, add(request)) << request;
  }
  // A sender with an activator, but no title: nothing is registered either.
  const std::string clsid = "{5A1C0DE0-7E57-4C1D-9A11-0000000000AB}";
  EXPECT_EQ(-1, add(R"({"title":"","content":"c","notify_app_info":{"company_name":"NoKeys","game_name":"Game",)"
                    R"("clsid":")" + clsid + R"("}})"));
  HKEY key = nullptr;
  const std::string keys[] = {"Software\\Classes\\CLSID\\" + clsid, "Software\\Classes\\AppUserModelId\\NoKeys.Game"};
  for (const std::string& path : keys) {
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key)) << path;
  }
  EXPECT_EQ("false", run("return _vemosdk.check_can_local_notification()"));
  EXPECT_EQ(-1, platform().lastId());
}

TEST_F(NotificationDefaults, WithoutSenderTheDefaultIdentityIsUsedAndKeptForTheProcess) {
  int64_t id = add(R"({"title":"Hello","content":"World","use_old_windows_process_cb":1})");
  ASSERT_GE(id, 0);
  EXPECT_EQ("true", run("return _vemosdk.check_can_local_notification()"));
  auto shown = platform().shown(id);
  EXPECT_EQ(L"OstrivaneGames.VemoSDK", shown.aumid);
  EXPECT_NE(std::wstring::npos, shown.xml.find(L"<text id=\"1\">Hello</text><text id=\"2\">World</text>")) << shown.xml;
  // The first notification's identity stays.
  int64_t other = add(R"({"title":"a","content":"b","notify_app_info":{"company_name":"Else","game_name":"Other"}})");
  EXPECT_EQ(L"OstrivaneGames.VemoSDK", platform().shown(other).aumid);
}

TEST_F(NotificationDefaults, AnImageReplacesTheButtonsAndEachToastHasItsOwnExpiration) {
  int64_t with_image = add(R"({"title":"t","content":"c","image_path":"C:\\pic.png","expiration":60000,
                               "actions":[{"text":"Play"}]})");
  auto shown = platform().shown(with_image);
  EXPECT_NE(std::wstring::npos, shown.xml.find(L"template=\"ToastImageAndText02\"")) << shown.xml;
  EXPECT_NE(std::wstring::npos, shown.xml.find(L"src=\"file:///C:\\pic.png\"")) << shown.xml;
  EXPECT_EQ(std::wstring::npos, shown.xml.find(L"<action")) << shown.xml;
  EXPECT_EQ(60000, shown.expiration_ms);
  int64_t plain = add(R"({"title":"t","content":"c"})");
  EXPECT_EQ(0, platform().shown(plain).expiration_ms) << "the earlier expiration carried over";
}

TEST_F(NotificationDefaults, WrongArgumentTypesRaise) {
  for (const char* call : {"_vemosdk.add_local_notification({})", "_vemosdk.listen_local_notification('x', 1)",
                           "_vemosdk.remove_local_notification()"}) {
    EXPECT_EQ(0u, run(call).find("error: ")) << call;
  }
}

}  // namespace
