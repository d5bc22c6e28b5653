// The notification centre: the first notification registers the activator
// under the Wine registry, and each listener gets one message for its toast,
// whatever happens to the toast after.
#include "notification_fixture.h"

#include "core/text_convert.h"

#include <objbase.h>

namespace {

using NotificationEvents = vemo::test::NotificationCenter;

std::wstring g_clsid;  // in braces

std::wstring readString(const std::wstring& path, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return value;
}

// cJSON's formatted printing of an event message.
std::string formatted(int result, const std::string& event, int64_t id, const std::string& extra = "") {
  return "{\n\t\"succ\":\ttrue,\n\t\"result\":\t" + std::to_string(result) + ",\n\t\"event\":\t\"" + event +
         "\",\n\t\"notification_id\":\t" + std::to_string(id) + extra + "\n}";
}

TEST_F(NotificationEvents, TheFirstNotificationRegistersTheActivatorWithBraces) {
  GUID clsid;
  ASSERT_EQ(S_OK, CoCreateGuid(&clsid));
  wchar_t text[64];
  StringFromGUID2(clsid, text, 64);
  g_clsid = text;
  std::string bare = wstring_to_utf8(g_clsid.substr(1, g_clsid.size() - 2));
  int64_t id = add(R"({"title":"Update ready","content":"Play now?","actions":[{"text":"Play"},{"text":""},)"
                   R"({"text":"Later"}],"notify_app_info":{"company_name":"Co","game_name":"Game",)"
                   R"("product_name":"Prod","sub_product":"Launcher","clsid":")" + bare + R"("}})");
  ASSERT_GE(id, 0);
  auto shown = platform().shown(id);
  EXPECT_EQ(L"Co.Prod.Launcher", shown.aumid);
  // Buttons need Windows 8.1 or later (Wine's prefix may say Windows 7).
  bool buttons = WinToastLib::WinToast::isSupportingModernFeatures();
  EXPECT_EQ(buttons, std::wstring::npos != shown.xml.find(L"<actions><action content=\"Play\" arguments=\"0\"/>"
                                                          L"<action content=\"Later\" arguments=\"1\"/></actions>"))
      << shown.xml;

  wchar_t exe[2048];
  GetModuleFileNameW(nullptr, exe, 2048);
  EXPECT_EQ(L"\"" + std::wstring(exe) + L"\" -ToastActivated",
            readString(L"SOFTWARE\\Classes\\CLSID\\" + g_clsid + L"\\LocalServer32", nullptr));
  EXPECT_EQ(g_clsid, readString(L"Software\\Classes\\AppUserModelId\\Co.Prod.Launcher", L"CustomActivator"));
}

TEST_F(NotificationEvents, PressingTheSecondButtonPostsItsIndexOnce) {
  int64_t id = add(R"({"title":"t","content":"c","actions":[{"text":"A"},{"text":"B"}]})");
  run("_vemosdk.listen_local_notification(700, " + std::to_string(id) + ")");
  const std::wstring second = L"1";
  platform().activate(id, &second);
  EXPECT_EQ(formatted(0, "activated_actions", id, ",\n\t\"action_index\":\t1"), answer_for(700));
  platform().activate(id, &second);
  EXPECT_EQ("nil", nextTask()) << "a second message for one listener";
}

TEST_F(NotificationEvents, EachEventReachesItsListenerWithItsResult) {
  const struct {
    const char* name;
    void (*act)(vemo::test::RecordingToastPlatform&, int64_t);
    int result;
    const char* event;
  } cases[] = {
      {"click", [](auto& p, int64_t id) { p.activate(id, nullptr); }, 0, "activated"},
      {"closed", [](auto& p, int64_t id) { p.dismiss(id, 0); }, 1, "toast_dismissed"},
      {"hidden by the system", [](auto& p, int64_t id) { p.dismiss(id, 1); }, 1, "toast_dismissed"},
      {"odd reason", [](auto& p, int64_t id) { p.dismiss(id, 7); }, 1, "toast_dismissed"},
      {"failure", [](auto& p, int64_t id) { p.fail(id); }, 2, "toast_failed"},
  };
  int64_t callback = 710;
  for (const auto& c : cases) {
    int64_t id = add(R"({"title":"t","content":"c"})");
    run("_vemosdk.listen_local_notification(" + std::to_string(callback) + ", " + std::to_string(id) + ")");
    c.act(platform(), id);
    EXPECT_EQ(formatted(c.result, c.event, id), answer_for(callback++)) << c.name;
  }
}

TEST_F(NotificationEvents, HidingPostsManuallyHiddenOnceAndNothingAfter) {
  int64_t id = add(R"({"title":"t","content":"c"})");
  run("_vemosdk.listen_local_notification(720, " + std::to_string(id) + ")");
  run("_vemosdk.remove_local_notification('{\"notify_id\":" + std::to_string(id) + "}')");
  EXPECT_EQ(R"({"succ":true,"event":"manually_hidden","notification_id":)" + std::to_string(id) + "}",
            answer_for(720));
  EXPECT_TRUE(platform().shown(id).hidden);
  platform().dismiss(id, 0);
  run("_vemosdk.remove_local_notification('{\"notify_id\":" + std::to_string(id) + "}')");
  EXPECT_EQ("nil", nextTask());
  // Unknown or missing ids hide nothing and post nothing.
  run("_vemosdk.remove_local_notification('{\"notify_id\":12345}') _vemosdk.remove_local_notification('{}')");
  EXPECT_EQ("nil", nextTask());
}

TEST_F(NotificationEvents, WithoutAListenerNothingIsPostedAndALateListenerGetsNothing) {
  int64_t id = add(R"({"title":"t","content":"c"})");
  platform().activate(id, nullptr);
  EXPECT_EQ("nil", nextTask());
  run("_vemosdk.listen_local_notification(730, " + std::to_string(id) + ")");
  EXPECT_EQ("nil", nextTask());
}

TEST_F(NotificationEvents, RegistryKeysAreRemovedAfterTheTests) {
  ASSERT_FALSE(g_clsid.empty());
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, (L"SOFTWARE\\Classes\\CLSID\\" + g_clsid).c_str()));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\AppUserModelId\\Co.Prod.Launcher"));
}

}  // namespace
