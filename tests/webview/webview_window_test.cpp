// The web view window base in real windows: the close button of a page that
// never finishes (on the real browser), close requests carried out on the
// next timer tick and never on a window already gone, following a resized
// parent, the thread's mouse hook, and the parent's clip style on Windows 7.
#include "webview/windows/vemo_webview_window.h"

#include "../core/child_process.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "core/win_utils.h"
#include "test_support.h"
#include "webview/windows/ui_timers.h"
#include "webview/windows/vemo_webview_close_view.h"
#include "webview_test_env.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace VemoSDK;
using vemo::test::pumpUntil;

// A borderless parent, so that its client area is its whole size.
class Parent {
public:
  explicit Parent(int width = 800, int height = 600, DWORD style = 0) {
    window_ = CreateWindowExW(0, L"STATIC", L"web view window parent", WS_POPUP | WS_VISIBLE | style, 20, 20, width,
                              height, nullptr, nullptr, nullptr, nullptr);
  }
  ~Parent() { DestroyWindow(window_); }
  Parent(const Parent&) = delete;
  Parent& operator=(const Parent&) = delete;
  operator HWND() const { return window_; }

private:
  HWND window_;
};

struct ProbeOptions {
  int kind = kLuaFloater;
  bool autoScaling = true;
  bool hideCloseButton = false;
  RECT bounds = {100, 50, 300, 150};  // x, y, width, height
};

// The base with a plain child window at its bounds and, given a URL, a page
// on the real browser in it. It does not close when destroyed, so that a
// test sees exactly the closes it asked for.
class ProbeWindow : public VemoWebViewWindow {
public:
  ProbeWindow(HWND parent, const ProbeOptions& options, const WebViewSettingsMap& params = {})
      : VemoWebViewWindow(parent, options.kind, params), autoScaling_(options.autoScaling) {
    hideCloseButton = options.hideCloseButton;
    x = options.bounds.left;
    y = options.bounds.top;
    width = options.bounds.right;
    height = options.bounds.bottom;
  }
  ~ProbeWindow() override {
    page_.reset();
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  }

  HWND createWindow() override {
    return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, x, y, width, height, parentWnd, nullptr,
                           nullptr, nullptr);
  }
  bool isAutoScaling() override { return autoScaling_; }
  bool isHideOnOutsideClick() override { return true; }
  void setBounds(int nx, int ny, int nwidth, int nheight) override {
    x = nx, y = ny, width = nwidth, height = nheight;
    if (hwnd) MoveWindow(hwnd, x, y, width, height, TRUE);
  }
  void open(const std::string& url, const WebViewSettingsMap& params) override {
    VemoWebViewWindow::open(url, params);
    if (hwnd && !url.empty()) page_ = std::make_unique<VemoWebView>(hwnd, url, 0, 0, width, height, params, this, false);
  }

  bool closeButtonShown() const {
    return closeButton() && closeButton()->visible() && IsWindowVisible(closeButton()->window());
  }

private:
  bool autoScaling_;
  std::unique_ptr<VemoWebView> page_;
};

bool sameBounds(const WebViewWindowBounds& b, int x, int y, int width, int height) {
  return b.x == x && b.y == y && b.width == width && b.height == height;
}

// Pumps until a timer armed now has fired: timers of this thread that were
// due earlier have had their turn by then.
void pumpPastTimersDueBy(UINT delayMs) {
  bool fired = false;
  UiTimers::once(delayMs, nullptr, [&] { fired = true; });
  ASSERT_TRUE(pumpUntil([&] { return fired; }));
}

TEST(WebViewWindow, TheCloseButtonOfAPageThatHasNotFinishedShowsAfterTheWatchdog) {
  vemo::test::WebViewTestEnv env("webview-window");
  struct Case {
    const char* name;
    std::string html;
    bool shown;
  } cases[] = {
      // The image is answered after a minute: the page stays loading.
      {"never_finishes.html", "<p>loading</p><img src=\"never_finishes.png?delay=60000\">", true},
      {"finishes.html", "<p>done</p>", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Parent parent;
    ProbeOptions options;
    options.hideCloseButton = true;
    ProbeWindow window(parent, options);
    window.open(env.page(c.name, c.html), WebViewSettingsMap{{"options", "{}"}, {"injection", "{}"}});
    ASSERT_TRUE(pumpUntil([&] { return window.windowLoadState() >= kWindowNavigationStarted; }));
    EXPECT_FALSE(window.closeButtonShown()) << "hidden by the page options until the watchdog";
    ASSERT_TRUE(pumpUntil([&] { return UiTimers::pendingFor(&window) == 0; })) << "the watchdog never fired";
    EXPECT_EQ(window.closeButtonShown(), c.shown);
    EXPECT_EQ(window.windowLoadState(), c.shown ? kWindowNavigationStarted : kWindowNavigationCompleted);
  }
}

TEST(WebViewWindow, TheSecondCloseRunsNoCallbackAndTheCallbackMayDeleteTheWindow) {
  Parent parent;
  int calls = 0;
  WebViewWindowCloseCallback counted = [&] { ++calls; };
  ProbeWindow kept(parent, ProbeOptions(), {{"close_callback", &counted}});
  kept.open("", {});
  HWND own = kept.window();
  ASSERT_TRUE(own);
  EXPECT_EQ(kept.close(), 1);
  EXPECT_EQ(kept.close(), 0);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(IsWindow(own));
  EXPECT_EQ(VemoWebViewWindow::fromHandle(own), nullptr);

  std::unique_ptr<ProbeWindow> deleted;
  WebViewWindowCloseCallback deleting = [&] { deleted.reset(); };
  deleted = std::make_unique<ProbeWindow>(parent, ProbeOptions(), WebViewSettingsMap{{"close_callback", &deleting}});
  const VemoWebViewWindow* raw = deleted.get();
  deleted->open("", {});
  EXPECT_EQ(deleted->close(), 1);
  EXPECT_EQ(deleted, nullptr);
  EXPECT_FALSE(isWindowAlive(raw));
}

// The host's main-thread handler of these cases: jobs wait until run.
std::vector<std::pair<vemosdk_main_thread_callback, void*>> queuedJobs;
void queueJob(vemosdk_main_thread_callback callback, void* argument) { queuedJobs.emplace_back(callback, argument); }
void runQueuedJobs() {
  auto jobs = std::move(queuedJobs);
  queuedJobs.clear();
  for (auto& job : jobs) job.first(job.second);
}

TEST(WebViewWindow, CloseRequestsCloseOnTheNextTimerTickOutOfTheAskingProcedure) {
  Parent parent;
  struct Case {
    const char* name;
    std::function<void(ProbeWindow&)> ask;
  } cases[] = {
      {"page", [](ProbeWindow& w) { cJSON_Delete(w.onWebMessage("7", "closeBrowser", nullptr)); }},
      {"close button", [](ProbeWindow& w) { SendMessageW(w.closeButton()->window(), WM_LBUTTONUP, 0, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int calls = 0;
    WebViewWindowCloseCallback counted = [&] { ++calls; };
    ProbeWindow window(parent, ProbeOptions(), {{"close_callback", &counted}});
    window.open("", {});
    HWND own = window.window();
    ASSERT_TRUE(own && window.closeButton());
    HWND button = window.closeButton()->window();
    c.ask(window);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(IsWindow(own) && IsWindow(button)) << "closed inside the procedure that asked";
    ASSERT_TRUE(pumpUntil([&] { return calls == 1; }));
    EXPECT_FALSE(IsWindow(own));
    EXPECT_FALSE(IsWindow(button));
  }
}

TEST(WebViewWindow, ACloseRequestLeavesAWindowDestroyedBeforeItRuns) {
  Parent parent;
  for (bool throughHandler : {false, true}) {
    SCOPED_TRACE(throughHandler ? "through the main-thread handler" : "in place");
    setMainThreadHandler(throughHandler ? queueJob : nullptr);
    int calls = 0;
    WebViewWindowCloseCallback counted = [&] { ++calls; };
    auto window = std::make_unique<ProbeWindow>(parent, ProbeOptions(), WebViewSettingsMap{{"close_callback", &counted}});
    window->open("", {});
    cJSON_Delete(window->onWebMessage("7", "closeBrowser", nullptr));
    if (throughHandler) {
      ASSERT_TRUE(pumpUntil([] { return !queuedJobs.empty(); })) << "the close job was never posted";
    }
    window.reset();
    pumpPastTimersDueBy(50);
    runQueuedJobs();
    EXPECT_EQ(calls, 0);
  }
  setMainThreadHandler(nullptr);
}

// Sizes the parent as the end of a user's sizing drag does: Wine sends no
// location-change event for a program's own SetWindowPos.
void resizeParent(HWND parent, int width, int height) {
  SetWindowPos(parent, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  NotifyWinEvent(EVENT_SYSTEM_MOVESIZEEND, parent, OBJID_WINDOW, CHILDID_SELF);
}

TEST(WebViewWindow, AnAutoScalingWindowScalesWithItsParent) {
  struct Case {
    const char* name;
    int startWidth, startHeight;
    bool autoScaling;
    WebViewWindowBounds expected;
  } cases[] = {
      {"800 x 600 to 1600 x 1200", 800, 600, true, {200, 100, 400, 200}},
      // Nothing to scale from at first: the window keeps its bounds until
      // the parent has a size, and then scales from that one.
      {"from no size", 0, 0, true, {200, 100, 400, 200}},
      {"not auto-scaling", 800, 600, false, {100, 50, 200, 100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Parent parent(c.startWidth, c.startHeight);
    ProbeOptions options;
    options.kind = kOpenerFloater;
    options.autoScaling = c.autoScaling;
    options.bounds = RECT{100, 50, 200, 100};
    ProbeWindow window(parent, options);
    window.open("", {});
    if (c.startWidth == 0) {
      resizeParent(parent, 800, 600);
      pumpPastTimersDueBy(50);
      EXPECT_TRUE(sameBounds(window.getBounds(), 100, 50, 200, 100));
    }
    resizeParent(parent, 1600, 1200);
    if (c.autoScaling) {
      pumpUntil([&] { return !sameBounds(window.getBounds(), 100, 50, 200, 100); }, 10);
    } else {
      pumpPastTimersDueBy(100);
    }
    WebViewWindowBounds b = window.getBounds();
    EXPECT_TRUE(sameBounds(b, c.expected.x, c.expected.y, c.expected.width, c.expected.height))
        << b.x << "," << b.y << "," << b.width << "," << b.height;
    if (c.autoScaling) {
      // The close button keeps to the top-right corner of the window.
      ASSERT_TRUE(pumpUntil([&] { return window.closeButton()->rect().right == b.width; }, 5));
      EXPECT_EQ(window.closeButton()->rect().left, b.width - VemoWebViewCloseView::kSize);
    }
  }
}

TEST(WebViewWindow, TheMouseHookLivesFromTheFirstWindowOnAParentToTheLast) {
  ASSERT_EQ(VemoWebViewWindow::mouseHook(), nullptr);
  Parent first, second;
  auto a = std::make_unique<ProbeWindow>(first, ProbeOptions());
  HHOOK hook = VemoWebViewWindow::mouseHook();
  EXPECT_NE(hook, nullptr);
  auto b = std::make_unique<ProbeWindow>(second, ProbeOptions());
  EXPECT_EQ(VemoWebViewWindow::mouseHook(), hook) << "one hook for the thread";
  a->open("", {});
  b->open("", {});
  a->close();
  EXPECT_EQ(VemoWebViewWindow::mouseHook(), hook) << "a window is still open";
  b->close();
  EXPECT_EQ(VemoWebViewWindow::mouseHook(), nullptr);
  auto c = std::make_unique<ProbeWindow>(first, ProbeOptions());
  EXPECT_NE(VemoWebViewWindow::mouseHook(), nullptr);
  c.reset();  // destroyed without a close
  EXPECT_EQ(VemoWebViewWindow::mouseHook(), nullptr);
  EXPECT_TRUE(VemoWebViewWindow::windowsOn(first).empty());
}

// Runs only in the copy of this program that ClipChildrenOnWindows7 starts,
// which Wine reports as Windows 7.
TEST(WebViewWindowOnWindows7, TheParentKeepsTheClipStyleItHad) {
  if (!is_windows7()) GTEST_SKIP() << "started by WebViewWindow.ClipChildrenOnWindows7";
  struct Case {
    int kind;
    bool parentHad;
    bool whileOpen;
  } cases[] = {
      {kLuaFloater, false, true},
      {kLuaFloater, true, true},
      {kOpenerFloater, false, true},
      {kBrowserWindow, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << (c.parentHad ? ", parent clipping" : ""));
    Parent parent(800, 600, c.parentHad ? WS_CLIPCHILDREN : 0);
    ProbeOptions options;
    options.kind = c.kind;
    ProbeWindow window(parent, options);
    window.open("", {});
    EXPECT_EQ((GetWindowLongW(parent, GWL_STYLE) & WS_CLIPCHILDREN) != 0, c.whileOpen);
    window.close();
    EXPECT_EQ((GetWindowLongW(parent, GWL_STYLE) & WS_CLIPCHILDREN) != 0, c.parentHad);
  }
}

TEST(WebViewWindow, ClipChildrenOnWindows7) {
  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  vemo::test::TempDir dir("webview-window-win7");
  const wchar_t* name = L"webview_window_win7.exe";
  std::string copy = dir.file(wstring_to_utf8(name));
  ASSERT_TRUE(CopyFileW(self, utf8_to_wstring(copy).c_str(), FALSE));
  std::wstring key = std::wstring(L"Software\\Wine\\AppDefaults\\") + name;
  HKEY appKey = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &appKey, nullptr),
            ERROR_SUCCESS);
  const wchar_t version[] = L"win7";
  LONG set = RegSetValueExW(appKey, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
  RegCloseKey(appKey);
  ASSERT_EQ(set, ERROR_SUCCESS);
  vemo::test::ChildResult result =
      vemo::test::run_program(copy, "--gtest_filter=WebViewWindowOnWindows7.* --gtest_color=no");
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_NE(result.output.find("[  PASSED  ] 1 test"), std::string::npos) << result.output;
  EXPECT_EQ(result.output.find("SKIPPED"), std::string::npos) << "not run as Windows 7:\n" << result.output;
}

}  // namespace
