// The toast library: the XML it makes, the AUMID, the activator's registry
// keys under the Wine registry, and how events reach a handler.
#include "3rd/wintoast/toast_xml.h"
#include "3rd/wintoast/wintoastlib.h"
#include "recording_toast_platform.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <mutex>
#include <thread>

#include <string>
#include <vector>

namespace {

using namespace WinToastLib;

const ToastXmlFeatures kModern{true, true};
const ToastXmlFeatures kWindows81{true, false};
const ToastXmlFeatures kWindows7{false, false};

std::wstring xmlOf(const ToastTemplate& toast, const ToastXmlFeatures& features) {
  std::wstring xml;
  EXPECT_TRUE(buildToastXml(toast, features, xml));
  return xml;
}

ToastTemplate twoLines(const std::wstring& title, const std::wstring& content) {
  ToastTemplate toast(ToastTemplate::Text02);
  toast.setTextField(title, 0);
  toast.setTextField(content, 1);
  toast.setDuration(ToastTemplate::Long);
  return toast;
}

TEST(ToastXml, TheKindsTheNotificationsUseMatchTheirGoldenText) {
  ToastTemplate with_actions = twoLines(L"Update", L"Ready");
  for (const wchar_t* label : {L"Play", L"Later", L"Never"}) with_actions.addAction(label);
  ToastTemplate with_image(ToastTemplate::ImageAndText02);
  with_image.setTextField(L"T", 0);
  with_image.setTextField(L"C", 1);
  with_image.setImagePath(L"C:\\game\\icon.png");
  ToastTemplate no_duration = twoLines(L"a", L"b");
  no_duration.setDuration(ToastTemplate::System);
  const struct {
    const char* name;
    ToastTemplate toast;
    ToastXmlFeatures features;
    const wchar_t* xml;
  } cases[] = {
      {"two lines", twoLines(L"Update", L"Ready"), kModern,
       L"<toast duration=\"long\" scenario=\"Default\"><visual><binding template=\"ToastText02\">"
       L"<text id=\"1\">Update</text><text id=\"2\">Ready</text></binding></visual></toast>"},
      {"markup in the texts", twoLines(L"<b>Tom & \"Jerry\"</b>", L"a>b\x01"), kModern,
       L"<toast duration=\"long\" scenario=\"Default\"><visual><binding template=\"ToastText02\">"
       L"<text id=\"1\">&lt;b&gt;Tom &amp; \"Jerry\"&lt;/b&gt;</text><text id=\"2\">a&gt;b</text>"
       L"</binding></visual></toast>"},
      {"three actions", with_actions, kModern,
       L"<toast template=\"ToastGeneric\" duration=\"long\" scenario=\"Default\"><visual>"
       L"<binding template=\"ToastText02\"><text id=\"1\">Update</text><text id=\"2\">Ready</text></binding>"
       L"</visual><actions><action content=\"Play\" arguments=\"0\"/><action content=\"Later\" arguments=\"1\"/>"
       L"<action content=\"Never\" arguments=\"2\"/></actions></toast>"},
      {"image and two lines", with_image, kModern,
       L"<toast scenario=\"Default\"><visual><binding template=\"ToastImageAndText02\">"
       L"<image id=\"1\" src=\"file:///C:\\game\\icon.png\"/><text id=\"1\">T</text><text id=\"2\">C</text>"
       L"</binding></visual></toast>"},
      {"no duration", no_duration, kModern,
       L"<toast scenario=\"Default\"><visual><binding template=\"ToastText02\"><text id=\"1\">a</text>"
       L"<text id=\"2\">b</text></binding></visual></toast>"},
      {"windows 7: no actions, duration or scenario", with_actions, kWindows7,
       L"<toast><visual><binding template=\"ToastText02\"><text id=\"1\">Update</text><text id=\"2\">Ready</text>"
       L"</binding></visual></toast>"},
  };
  for (const auto& c : cases) EXPECT_EQ(std::wstring(c.xml), xmlOf(c.toast, c.features)) << c.name;
}

TEST(ToastXml, SoundsInputsCropsAndHeroImagesFollowTheSystemVersion) {
  ToastTemplate toast(ToastTemplate::ImageAndText01);
  toast.setTextField(L"t", 0);
  toast.setTextField(L"ignored: one line only", 1);
  toast.setImagePath(L"i.png", ToastTemplate::Circle);
  toast.setHeroImagePath(L"hero.png");
  toast.setAudioOption(ToastTemplate::Loop);
  toast.setAudioPath(L"ms-winsoundevent:Notification.Looping.Alarm");
  toast.setAttributionText(L"via SDK");
  toast.setHasInput(true);
  toast.setScenario(L"reminder");
  EXPECT_EQ(
      L"<toast template=\"ToastGeneric\" duration=\"long\" scenario=\"reminder\"><visual>"
      L"<binding template=\"ToastGeneric\"><image id=\"1\" src=\"file:///i.png\" placement=\"appLogoOverride\" "
      L"hint-crop=\"circle\"/><text id=\"1\">t</text><text placement=\"attribution\">via SDK</text>"
      L"<image placement=\"hero\" src=\"hero.png\"/></binding></visual>"
      L"<audio src=\"ms-winsoundevent:Notification.Looping.Alarm\" loop=\"true\"/><actions>"
      L"<input id=\"textBox\" type=\"text\" placeHolderContent=\"...\"/>"
      L"<action content=\"Reply\" arguments=\"action=reply\" hint-inputId=\"textBox\"/></actions></toast>",
      xmlOf(toast, kModern));
  // Before build 14393: no crop and no hero image.
  std::wstring older = xmlOf(toast, kWindows81);
  EXPECT_EQ(std::wstring::npos, older.find(L"hint-crop")) << older;
  EXPECT_EQ(std::wstring::npos, older.find(L"hero")) << older;

  ToastTemplate silent(ToastTemplate::Text01);
  silent.setAudioOption(ToastTemplate::Silent);
  EXPECT_NE(std::wstring::npos, xmlOf(silent, kModern).find(L"<audio src=\"\" silent=\"true\"/>"));
}

TEST(ToastXml, AnImagePathTheSystemCannotTakeIsRefused) {
  ToastTemplate toast(ToastTemplate::ImageAndText02);
  std::wstring xml = L"untouched";
  toast.setImagePath(std::wstring(kMaxImagePath - 1, L'a'));
  EXPECT_TRUE(buildToastXml(toast, kModern, xml));
  toast.setImagePath(std::wstring(kMaxImagePath, L'a'));
  xml = L"untouched";
  EXPECT_FALSE(buildToastXml(toast, kModern, xml));
  EXPECT_EQ(L"untouched", xml);
}

TEST(Aumid, PartsAreJoinedWithPointsAndLongOnesAreKept) {
  const struct {
    const wchar_t *company, *product, *sub, *version, *aumid;
  } cases[] = {
      {L"Co", L"Game", L"", L"", L"Co.Game"},
      {L"Co", L"Game", L"Launcher", L"", L"Co.Game.Launcher"},
      {L"Co", L"Game", L"Launcher", L"2", L"Co.Game.Launcher.2"},
      {L"Co", L"Game", L"", L"2", L"Co.Game"},  // a version needs a sub-product
  };
  for (const auto& c : cases) EXPECT_EQ(c.aumid, WinToast::configureAUMI(c.company, c.product, c.sub, c.version));
  std::wstring long_product(200, L'p');
  EXPECT_EQ(L"Co." + long_product, WinToast::configureAUMI(L"Co", long_product));
}

std::wstring readString(const std::wstring& path, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return value;
}

TEST(ActivatorRegistration, WritesTheCommandLineAndTheCustomActivator) {
  GUID clsid;
  ASSERT_EQ(S_OK, CoCreateGuid(&clsid));
  wchar_t clsid_text[64];
  StringFromGUID2(clsid, clsid_text, 64);
  std::wstring aumid = L"RegistrationTest.Game." + std::to_wstring(GetCurrentProcessId());
  ASSERT_EQ(S_OK, RegisterAumidAndComServer(aumid, clsid));

  wchar_t exe[2048];
  GetModuleFileNameW(nullptr, exe, 2048);
  std::wstring server = std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + clsid_text + L"\\LocalServer32";
  EXPECT_EQ(L"\"" + std::wstring(exe) + L"\" -ToastActivated", readString(server, nullptr));
  EXPECT_EQ(clsid_text, readString(L"Software\\Classes\\AppUserModelId\\" + aumid, L"CustomActivator"));

  RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + clsid_text).c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\AppUserModelId\\" + aumid).c_str());
}

TEST(ActivatorRegistration, AnAumidThatWouldNameAnotherKeyIsRefusedBeforeAnyWrite) {
  GUID clsid;
  ASSERT_EQ(S_OK, CoCreateGuid(&clsid));
  wchar_t clsid_text[64];
  StringFromGUID2(clsid, clsid_text, 64);
  for (const wchar_t* aumid : {L"", L"Co.Game\\..\\..\\Run", L"\\"}) {
    EXPECT_EQ(E_INVALIDARG, RegisterAumidAndComServer(aumid, clsid)) << aumid;
    EXPECT_EQ(E_INVALIDARG, BindAumidToCustomActivator(aumid, clsid)) << aumid;
  }
  HKEY key = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER,
                                         (std::wstring(L"SOFTWARE\\Classes\\CLSID\\") + clsid_text).c_str(), 0,
                                         KEY_READ, &key));
}

// Records what the library reports, from any thread.
struct RecordingHandler : IWinToastHandler {
  mutable std::mutex lock;
  mutable std::vector<std::string> calls;  // guarded by lock
  void record(const std::string& call) const {
    std::lock_guard<std::mutex> guard(lock);
    calls.push_back(call);
  }
  void toastActivated(const std::wstring&) const override { record("response"); }
  void toastActivated(int index) const override { record("action " + std::to_string(index)); }
  void toastActivated() const override { record("activated"); }
  void toastDismissed(int reason) const override { record("dismissed " + std::to_string(reason)); }
  void toastFailed() const override { record("failed"); }
};

class ToastEvents : public ::testing::Test {
protected:
  void SetUp() override {
    setToastPlatform(platform);
    toasts.setAppName(L"Test");
    toasts.setAppUserModelId(L"Co.Test");
    ASSERT_TRUE(WinToast::isCompatible());
    ASSERT_TRUE(toasts.initialize());
  }
  void TearDown() override { setToastPlatform(nullptr); }

  int64_t show(const std::shared_ptr<RecordingHandler>& handler, int64_t expiration = 0) {
    ToastTemplate toast = twoLines(L"t", L"c");
    toast.setExpiration(expiration);
    WinToastError error = NotInitialized;
    int64_t id = toasts.showToast(toast, handler, &error);
    EXPECT_EQ(NoError, error);
    return id;
  }

  std::shared_ptr<vemo::test::RecordingToastPlatform> platform = std::make_shared<vemo::test::RecordingToastPlatform>();
  WinToast toasts;
};

TEST_F(ToastEvents, ActivationArgumentsBecomeTheActionIndex) {
  const std::wstring one = L"1", reply = L"action=reply", empty;
  const struct {
    const std::wstring* arguments;
    const char* call;
  } cases[] = {{&one, "action 1"}, {&reply, "action 0"}, {&empty, "activated"}, {nullptr, "activated"}};
  for (const auto& c : cases) {
    auto handler = std::make_shared<RecordingHandler>();
    int64_t id = show(handler);
    ASSERT_GE(id, 0);
    platform->activate(id, c.arguments);
    EXPECT_EQ(std::vector<std::string>{c.call}, handler->calls);
  }
}

TEST_F(ToastEvents, AnExpiredToastDismissedAsCancelledIsReportedAsTimedOut) {
  auto soon = std::make_shared<RecordingHandler>();
  auto later = std::make_shared<RecordingHandler>();
  auto failing = std::make_shared<RecordingHandler>();
  int64_t soon_id = show(soon, 1);
  int64_t later_id = show(later, 60000);
  int64_t failing_id = show(failing);
  EXPECT_EQ(60000, platform->shown(later_id).expiration_ms);
  Sleep(20);
  platform->dismiss(soon_id, IWinToastHandler::UserCanceled);
  platform->dismiss(later_id, IWinToastHandler::UserCanceled);
  platform->fail(failing_id);
  EXPECT_EQ(std::vector<std::string>{"dismissed 2"}, soon->calls);
  EXPECT_EQ(std::vector<std::string>{"dismissed 0"}, later->calls);
  EXPECT_EQ(std::vector<std::string>{"failed"}, failing->calls);
  // Each event sweeps the toasts an earlier event marked.
  EXPECT_TRUE(platform->shown(soon_id).forgotten);
  EXPECT_TRUE(platform->shown(later_id).forgotten);
  EXPECT_FALSE(platform->shown(failing_id).forgotten);
}

TEST_F(ToastEvents, IdsAreNonNegativeAndDistinctAndHidingForgetsThem) {
  auto handler = std::make_shared<RecordingHandler>();
  int64_t first = show(handler), second = show(handler);
  EXPECT_GE(first, 0);
  EXPECT_GE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_TRUE(toasts.hideToast(first));
  EXPECT_TRUE(platform->shown(first).hidden);
  EXPECT_FALSE(toasts.hideToast(first)) << "hidden twice";
  EXPECT_FALSE(toasts.hideToast(12345));
  toasts.clear();
  EXPECT_TRUE(platform->shown(second).hidden);
}

TEST_F(ToastEvents, EventsFromManyThreadsWhileToastsComeAndGoLoseNoneAndBreakNothing) {
  auto handler = std::make_shared<RecordingHandler>();
  std::vector<int64_t> ids;
  for (int i = 0; i < 64; ++i) ids.push_back(show(handler));
  std::vector<std::thread> clickers;
  std::atomic<int> delivered{0};
  for (int t = 0; t < 8; ++t) {
    clickers.emplace_back([&, t] {
      for (int i = t; i < 64; i += 8) {
        if (auto events = platform->shown(ids[i]).events) {
          events->dismissed(IWinToastHandler::ApplicationHidden);
          ++delivered;
        }
      }
    });
  }
  // Meanwhile this thread shows and hides more toasts of the same map.
  for (int i = 0; i < 64; ++i) EXPECT_TRUE(toasts.hideToast(show(std::make_shared<RecordingHandler>())));
  for (auto& clicker : clickers) clicker.join();
  EXPECT_EQ(64, delivered.load());
  EXPECT_EQ(64u, handler->calls.size());
}

TEST_F(ToastEvents, FailuresComeBackAsCodes) {
  WinToastError error = NoError;
  EXPECT_EQ(-1, toasts.showToast(twoLines(L"t", L"c"), nullptr, &error));
  EXPECT_EQ(InvalidHandler, error);
  ToastTemplate huge(ToastTemplate::ImageAndText02);
  huge.setImagePath(std::wstring(4096, L'x'));
  EXPECT_EQ(-1, toasts.showToast(huge, std::make_shared<RecordingHandler>(), &error));
  EXPECT_EQ(NotDisplayed, error);
  platform->show_result = NotDisplayed;
  EXPECT_EQ(-1, toasts.showToast(twoLines(L"t", L"c"), std::make_shared<RecordingHandler>(), &error));
  EXPECT_EQ(NotDisplayed, error);
  WinToast fresh;
  EXPECT_EQ(-1, fresh.showToast(twoLines(L"t", L"c"), std::make_shared<RecordingHandler>(), &error));
  EXPECT_EQ(NotInitialized, error);
  EXPECT_FALSE(fresh.initialize(&error));
  EXPECT_EQ(InvalidParameters, error);
}

}  // namespace

namespace {

TEST(WinRtToastPlatform, WithoutTheToastRuntimeAToastIsNotShownAndNothingBreaks) {
  WinToastLib::setToastPlatform(nullptr);  // the real platform; Wine has no toast runtime
  WinToastLib::WinToast toasts;
  toasts.setAppName(L"Test");
  toasts.setAppUserModelId(L"Co.Test");
  ASSERT_TRUE(toasts.initialize());
  WinToastLib::WinToastError error = WinToastLib::NoError;
  ToastTemplate toast(ToastTemplate::Text02);
  toast.setExpiration(1000);
  EXPECT_EQ(-1, toasts.showToast(toast, std::make_shared<RecordingHandler>(), &error));
  EXPECT_EQ(WinToastLib::NotDisplayed, error);
  EXPECT_FALSE(toasts.hideToast(1));
}

}  // namespace
