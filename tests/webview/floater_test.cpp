// The scripts' floater through _vemosdk.FLOATER, in a real host window on
// the real browser: the answers of the action table, the events that bounds
// changes and closing post, dragging by the drag area (the threshold, what
// drags, the protected board, a lost capture), clicks, script answers and
// the user agent. A picture of a floater over its host is saved under the
// test work folder ("screenshots").
#include "webview/windows/floater_actions.h"
#include "webview/windows/vemo_floater.h"

#include "core/lua_task_queue.h"
#include "core/sdk_context.h"
#include "core/sdk_paths.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "lua/vemosdk_module.h"
#include "lua_values.h"
#include "screen_picture.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using namespace VemoSDK;
using Clock = std::chrono::steady_clock;

bool pumpUntil(const std::function<bool()>& done, int seconds = 30) {
  auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
  return true;
}

void pumpFor(int ms) {
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  pumpUntil([&] { return Clock::now() >= end; });
}

bool ownWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

// What reached Lua: floater event codes, "WEBVIEW_EVENT" codes with their
// JSON, and "ASYNC_CALL" answers as "#id json".
struct Heard {
  std::vector<int> floater;
  std::vector<std::string> floaterJson;
  std::vector<int> webview;
  std::vector<std::string> webviewJson;
  std::vector<std::string> answers;
};

std::string compact(const std::string& json) {
  std::string out;
  for (char c : json)
    if (c != '\n' && c != '\t' && c != ' ') out += c;
  return out;
}

constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;
constexpr const char* kBounds = R"("pos":{"x":20,"y":30},"size":{"width":300,"height":200})";

class FloaterTest : public ::testing::Test {
public:
  FloaterTest() : dir_("floater") {
    std::string program = dir_.file("program");
    CreateDirectoryW(utf8_to_wstring(program).c_str(), nullptr);
    vemo::test::write_file(program + "\\sdkconfig.json",
                           R"({"game_id":"floater-test","package_name":"com.vemo.floater"})");
    vemosdk_set_context(build_sdk_context(program + "\\", "", "2.4.6", nullptr));
    std::string runtime = dir_.file("runtime");
    CreateDirectoryW(utf8_to_wstring(runtime).c_str(), nullptr);
    EXPECT_TRUE(vemo::test::copy_browser_runtime(runtime)) << "no browser runtime folder";
    setWebviewPath(runtime.c_str());
    std::string www = vemo::test::http_root() + "\\floater";
    CreateDirectoryW(utf8_to_wstring(www).c_str(), nullptr);
    vemo::test::write_file(www + "\\page.html",
                           "<html><body style='margin:0;background:#2d6cdf;color:white;font:28px sans-serif'>"
                           "<p style='margin:24px'>Floater</p></body></html>");
    url_ = vemo::test::http_base_url() + "/floater/page.html";
    RECT frame{0, 0, kClientWidth, kClientHeight};
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE;
    AdjustWindowRect(&frame, style, FALSE);
    host_ = CreateWindowExW(0, L"STATIC", L"floater host", style, 30, 30, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    vmsdk_set_main_hwnd(host_);
    luaL_requiref(lua_.get(), "_vemosdk", luaopen_vemosdk, 1);
    lua_pop(lua_.get(), 1);
    heard();
  }
  ~FloaterTest() override {
    act(R"({"action":4})");
    pumpFor(50);
    heard();
    DestroyWindow(host_);
    vmsdk_set_main_hwnd(nullptr);
    setWebviewPath("");
    vemosdk_set_context(nullptr);
  }

  std::string act(const std::string& json) {
    return vemo::test::run_chunk(lua_.get(), "return _vemosdk.FLOATER(7, [[" + json + "]])");
  }
  std::string openRequest(const std::string& params, const char* bounds) {
    return R"({"action":1,"url":")" + url_ + R"(",)" + bounds + R"(,"params":)" + params + "}";
  }
  // Opens the floater, by default at (20, 30, 300, 200), and waits for its page.
  void open(const std::string& params = "{}", const char* bounds = kBounds) {
    ASSERT_EQ(act(openRequest(params, bounds)), "1");
    ASSERT_TRUE(floater() && floater()->webView());
    ASSERT_TRUE(pumpUntil([&] { return floater()->webView()->state() >= kWebViewLoaded; })) << "no page";
    EXPECT_EQ(floater()->webView()->state(), kWebViewLoaded);
    heard();
  }
  VemoFloater* floater() { return currentLuaFloater(); }
  std::string bounds() { return act(R"({"action":11})"); }

  Heard heard() {
    Heard found;
    for (;;) {
      std::vector<std::string> v = vemo::test::pop_values(lua_.get(), LuaTaskQueue::getInstance()->tick(lua_.get()));
      if (v.size() != 4) break;
      int code = std::stoi(v[1].substr(1));
      if (v[0] == kFloaterEvent) {
        found.floater.push_back(code);
        found.floaterJson.push_back(compact(v[2]));
      } else if (v[0] == "WEBVIEW_EVENT") {
        found.webview.push_back(code);
        found.webviewJson.push_back(compact(v[2]));
      } else if (v[0] == "ASYNC_CALL") {
        found.answers.push_back(v[1] + " " + v[2]);
      }
    }
    return found;
  }

  // The mouse as Windows routes it: to the window holding the capture, else
  // to the floater's topmost child under the point (host client coordinates).
  void mouse(UINT message, POINT inHost) {
    HWND target = GetCapture();
    if (!target || !ownWindow(target)) {
      HWND window = floaterWindow();
      POINT inFloater = inHost;
      MapWindowPoints(host_, window, &inFloater, 1);
      target = ChildWindowFromPointEx(window, inFloater, CWP_SKIPINVISIBLE);
    }
    ASSERT_TRUE(target);
    POINT point = inHost;
    MapWindowPoints(host_, target, &point, 1);
    SendMessageW(target, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(point.x, point.y));
  }
  // Presses at from, moves through each point, releases at the last.
  void drag(POINT from, std::initializer_list<POINT> through) {
    mouse(WM_LBUTTONDOWN, from);
    POINT last = from;
    for (POINT point : through) {
      mouse(WM_MOUSEMOVE, point);
      last = point;
    }
    mouse(WM_LBUTTONUP, last);
  }
  HWND floaterWindow() { return floater() ? GetParent(floater()->dragArea()) : nullptr; }

  vemo::test::TempDir dir_;
  std::string url_;
  HWND host_ = nullptr;
  vemo::test::LuaStateHolder lua_;
};

constexpr const char* kNoBounds = R"({"x":0,"y":0,"width":0,"height":0})";

TEST_F(FloaterTest, ActionsAnswerByTheTable) {
  struct Case {
    const char* request;
    const char* answer;  // "" for no result at all
  };
  const Case withoutFloater[] = {
      {R"({"action":13})", "0"},
      {R"({"action":0})", "0"},
      {R"({"width":5})", "0"},
      {R"({"action":"2"})", "0"},
      {"not json", ""},
      {R"({"action":2})", "0"},
      {R"({"action":7,"width":10,"height":10})", "0"},
      {R"({"action":11})", kNoBounds},
      {R"({"action":4})", "1"},
  };
  for (const Case& c : withoutFloater) EXPECT_EQ(act(c.request), c.answer) << c.request;
  EXPECT_TRUE(heard().floater.empty());

  vmsdk_set_main_hwnd(nullptr);
  EXPECT_EQ(act(R"({"action":1,"url":")" + url_ + "\"}"), "0") << "no host window";
  vmsdk_set_main_hwnd(host_);
  EXPECT_EQ(floater(), nullptr);

  open();
  const Case withFloater[] = {
      {R"({"action":7,"width":-1,"height":50})", "0"},
      {R"({"action":7,"width":50,"height":-1})", "0"},
      {R"({"action":8,"x":-5,"y":0})", "0"},
      {R"({"action":8,"x":0,"y":-5})", "0"},
      {R"({"action":12,"x":0,"y":0,"width":10,"height":-1})", "0"},
      {R"({"action":12,"x":-1,"y":0,"width":10,"height":10})", "0"},
      {R"({"action":5})", "0"},
      {R"({"action":9})", "0"},
      {R"({"action":13})", "0"},
      {R"({"action":11})", R"({"x":20,"y":30,"width":300,"height":200})"},
  };
  for (const Case& c : withFloater) EXPECT_EQ(act(c.request), c.answer) << c.request;
  EXPECT_TRUE(heard().floater.empty()) << "a refused action posted an event";

  EXPECT_EQ(act(R"({"action":9,"draggable":false})"), "1");
  EXPECT_FALSE(floater()->draggable());
  EXPECT_EQ(act(R"({"action":9,"draggable":1})"), "1");
  EXPECT_TRUE(floater()->draggable());
  EXPECT_EQ(act(R"({"action":2})"), "1");
  EXPECT_TRUE(IsWindowVisible(floaterWindow()));
  EXPECT_EQ(act(R"({"action":3})"), "1");
  EXPECT_FALSE(IsWindowVisible(floaterWindow()));
  EXPECT_EQ(heard().floater, (std::vector<int>{kFloaterShown, kFloaterHidden}));
}

TEST_F(FloaterTest, BoundsChangesPostTheirEvents) {
  open();
  struct Case {
    const char* request;
    std::vector<int> events;
    const char* bounds;
  } cases[] = {
      {R"({"action":12,"x":20,"y":30,"width":300,"height":200})", {}, R"({"x":20,"y":30,"width":300,"height":200})"},
      {R"({"action":8,"x":20,"y":30})", {}, R"({"x":20,"y":30,"width":300,"height":200})"},
      {R"({"action":8,"x":40,"y":30})", {kFloaterMoved}, R"({"x":40,"y":30,"width":300,"height":200})"},
      {R"({"action":7,"width":320,"height":200})", {kFloaterResized}, R"({"x":40,"y":30,"width":320,"height":200})"},
      {R"({"action":12,"x":0,"y":0,"width":100,"height":100})", {kFloaterMoved, kFloaterResized},
       R"({"x":0,"y":0,"width":100,"height":100})"},
      // The protected board pulls a floater back inside and shrinks it to fit.
      {R"({"action":8,"x":750,"y":0})", {kFloaterMoved}, R"({"x":700,"y":0,"width":100,"height":100})"},
      {R"({"action":12,"x":10,"y":10,"width":900,"height":100})", {kFloaterMoved, kFloaterResized},
       R"({"x":0,"y":10,"width":800,"height":100})"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(act(c.request), "1") << c.request;
    Heard h = heard();
    EXPECT_EQ(h.floater, c.events) << c.request;
    for (const std::string& json : h.floaterJson) EXPECT_EQ(json, c.bounds) << c.request;
    EXPECT_EQ(bounds(), c.bounds) << c.request;
  }
  RECT placed = {};
  GetWindowRect(floaterWindow(), &placed);
  MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.top, 10);
  EXPECT_EQ(placed.right - placed.left, 800);
}

TEST_F(FloaterTest, ClosingPostsOneCloseEvent) {
  struct Case {
    const char* how;
    std::function<void(FloaterTest&)> close;
    bool replaced;  // a new floater took the slot
  } cases[] = {
      {"action 4", [](FloaterTest& t) { EXPECT_EQ(t.act(R"({"action":4})"), "1"); }, false},
      {"a new floater", [](FloaterTest& t) { EXPECT_EQ(t.act(t.openRequest("{}", kBounds)), "1"); }, true},
      {"its window destroyed", [](FloaterTest& t) { DestroyWindow(t.floaterWindow()); }, false},
  };
  for (const Case& c : cases) {
    open();
    HWND window = floaterWindow();
    c.close(*this);
    Heard h = heard();
    EXPECT_EQ(h.floater, std::vector<int>{kFloaterClosed}) << c.how;
    ASSERT_EQ(h.webview, std::vector<int>{1}) << c.how;
    EXPECT_EQ(h.webviewJson[0], R"({"type":"close","url":")" + url_ + "\"}") << c.how;
    EXPECT_FALSE(IsWindow(window)) << c.how;
    if (c.replaced) continue;
    // Whatever closes it again later finds it closed.
    act(R"({"action":4})");
    h = heard();
    EXPECT_TRUE(h.floater.empty() && h.webview.empty()) << c.how;
  }
}

TEST_F(FloaterTest, APressBecomesADragPastTenPixels) {
  open(R"({"draggable":true})");
  HWND area = floater()->dragArea();
  POINT screen{100, 100};
  ClientToScreen(host_, &screen);
  HWND hit = WindowFromPoint(screen);
  if (ownWindow(hit)) {
    EXPECT_EQ(hit, area) << "the drag area does not take the mouse";
  }

  mouse(WM_LBUTTONDOWN, {100, 100});
  EXPECT_EQ(GetCapture(), area);
  mouse(WM_MOUSEMOVE, {110, 100});
  mouse(WM_MOUSEMOVE, {100, 90});
  EXPECT_EQ(bounds(), R"({"x":20,"y":30,"width":300,"height":200})") << "10 pixels dragged";
  mouse(WM_MOUSEMOVE, {111, 100});
  EXPECT_EQ(bounds(), R"({"x":31,"y":30,"width":300,"height":200})") << "11 pixels did not drag";
  mouse(WM_MOUSEMOVE, {131, 120});
  EXPECT_EQ(bounds(), R"({"x":51,"y":50,"width":300,"height":200})");
  mouse(WM_LBUTTONUP, {131, 120});
  EXPECT_EQ(GetCapture(), nullptr);
  Heard h = heard();
  EXPECT_EQ(h.floater, (std::vector<int>{kFloaterMoved, kFloaterMoved})) << "a drag is no click";
  RECT placed = {};
  GetWindowRect(floaterWindow(), &placed);
  MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, 51);
  EXPECT_EQ(placed.top, 50);
}

TEST_F(FloaterTest, WhatDragsFollowsDraggableAndPadding) {
  struct Case {
    const char* params;
    POINT press;  // the floater is at (20, 30, 300, 200)
    bool drags;
  } cases[] = {
      {R"({"draggable":true})", {30, 200}, true},  // the whole area
      {R"({"draggable":true})", {270, 40}, true},
      {R"({"draggable":false,"drag_padding":{"left":0,"top":0,"right":0,"bottom":150}})", {100, 40}, false},
      {R"({"drag_padding":{"left":0,"top":0,"right":0,"bottom":150}})", {100, 40}, true},  // the top 50 pixels
      {R"({"drag_padding":{"left":0,"top":0,"right":0,"bottom":150}})", {100, 150}, false},
      {R"({})", {100, 100}, false},
  };
  for (const Case& c : cases) {
    open(c.params);
    POINT to{c.press.x + 40, c.press.y + 20};
    drag(c.press, {to});
    std::string expected =
        c.drags ? R"({"x":60,"y":50,"width":300,"height":200})" : R"({"x":20,"y":30,"width":300,"height":200})";
    EXPECT_EQ(bounds(), expected) << c.params << " at " << c.press.x << "," << c.press.y;
    EXPECT_EQ(GetCapture(), nullptr) << c.params;
  }
}

TEST_F(FloaterTest, ProtectedBoardDecidesWhereADragEnds) {
  struct Case {
    const char* params;
    const char* whileDragged;
    const char* dropped;
  } cases[] = {
      {R"({"draggable":true})", R"({"x":-40,"y":-20,"width":300,"height":200})",
       R"({"x":0,"y":0,"width":300,"height":200})"},
      {R"({"draggable":true,"options":{"protected_board":false}})", R"({"x":-40,"y":-20,"width":300,"height":200})",
       R"({"x":-40,"y":-20,"width":300,"height":200})"},
  };
  for (const Case& c : cases) {
    open(c.params);
    mouse(WM_LBUTTONDOWN, {100, 100});
    mouse(WM_MOUSEMOVE, {40, 50});
    EXPECT_EQ(bounds(), c.whileDragged) << c.params;
    mouse(WM_LBUTTONUP, {40, 50});
    EXPECT_EQ(bounds(), c.dropped) << c.params;
  }
  // Off the right and bottom edges too, unprotected.
  open(R"({"draggable":true,"options":{"protected_board":false}})");
  drag({100, 100}, {{115, 100}, {700, 580}});
  EXPECT_EQ(bounds(), R"({"x":620,"y":510,"width":300,"height":200})");
}

TEST_F(FloaterTest, ALostCaptureEndsTheDrag) {
  open(R"({"draggable":true})");
  HWND area = floater()->dragArea();
  mouse(WM_LBUTTONDOWN, {100, 100});
  mouse(WM_MOUSEMOVE, {40, 80});
  EXPECT_EQ(bounds(), R"({"x":-40,"y":10,"width":300,"height":200})");
  SetCapture(host_);  // another window takes the mouse mid-drag
  EXPECT_EQ(bounds(), R"({"x":0,"y":10,"width":300,"height":200})") << "the floater was left outside";
  ReleaseCapture();
  POINT point{60, 80};
  MapWindowPoints(host_, area, &point, 1);
  SendMessageW(area, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  EXPECT_EQ(bounds(), R"({"x":0,"y":10,"width":300,"height":200})") << "the ended drag went on";
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(FloaterTest, ClicksWithoutADrag) {
  open(R"({"draggable":true})");
  drag({100, 100}, {{105, 104}});
  EXPECT_EQ(heard().floater, std::vector<int>{kFloaterClicked});
  EXPECT_EQ(bounds(), R"({"x":20,"y":30,"width":300,"height":200})");
  EXPECT_EQ(GetCapture(), nullptr);

  // Clicks on the parent count inside the floater's rectangle, edges included.
  struct Case {
    POINT inHost;
    bool counts;
  } cases[] = {{{20, 30}, true}, {{320, 230}, true}, {{150, 100}, true}, {{19, 100}, false}, {{150, 231}, false}};
  for (const Case& c : cases) {
    POINT screen = c.inHost;
    ClientToScreen(host_, &screen);
    floater()->onParentClick(screen);
    EXPECT_EQ(heard().floater.size(), c.counts ? 1u : 0u) << c.inHost.x << "," << c.inHost.y;
  }
}

TEST_F(FloaterTest, ScriptsAnswerOnce) {
  EXPECT_EQ(act(R"({"action":10,"script":"1"})"), "0");
  EXPECT_EQ(heard().answers, std::vector<std::string>{R"(#7 {"result":""})"}) << "no floater";

  open();
  struct Case {
    const char* request;
    const char* answer;
  } cases[] = {
      {R"({"action":10,"script":"6*7"})", R"(#7 {"result":"42"})"},
      {R"({"action":10,"script":"'a' + 'b'"})", R"(#7 {"result":"\"ab\""})"},
      {R"j({"action":10,"script":"throw new Error('no')"})j", R"(#7 {"result":""})"},
      {R"({"action":10,"script":"undefined"})", R"(#7 {"result":"null"})"},
      {R"({"action":10})", R"(#7 {"result":""})"},
  };
  for (const Case& c : cases) {
    act(c.request);
    std::vector<std::string> answers;
    pumpUntil([&] {
      for (const std::string& a : heard().answers) answers.push_back(a);
      return !answers.empty();
    });
    EXPECT_EQ(answers, std::vector<std::string>{c.answer}) << c.request;
  }
  // A page that goes first still answers what it owed, once.
  act(R"({"action":10,"script":"6*7"})");
  act(R"({"action":4})");
  std::vector<std::string> answers;
  pumpUntil([&] {
    for (const std::string& a : heard().answers) answers.push_back(a);
    return !answers.empty();
  });
  pumpFor(300);
  for (const std::string& a : heard().answers) answers.push_back(a);
  EXPECT_EQ(answers.size(), 1u);
}

TEST_F(FloaterTest, TheUserAgentNamesTheSdkAndTheGame) {
  const char* suffix = " OrbApp(KVSDK/3.0.14) com.vemo.floaterClient/2.4.6 window";
  struct Case {
    const char* params;
    std::string agent;
  } cases[] = {
      {"{}", std::string("Mozilla/5.0 (iPhone; CPU iPhone OS 13_2_3 like Mac OS X) AppleWebKit/605.1.15 (KHTML, "
                         "like Gecko) Version/13.0.3 Mobile/15E148 Safari/604.1") + suffix},
      {R"({"user_agent":"StudioAgent/1.0"})", std::string("StudioAgent/1.0") + suffix},
  };
  for (const Case& c : cases) {
    open(c.params);
    act(R"({"action":10,"script":"navigator.userAgent"})");
    std::vector<std::string> answers;
    pumpUntil([&] {
      answers = heard().answers;
      return !answers.empty();
    });
    ASSERT_EQ(answers.size(), 1u) << c.params;
    EXPECT_EQ(answers[0], "#7 {\"result\":\"\\\"" + c.agent + "\\\"\"}") << c.params;
  }
}

TEST_F(FloaterTest, PictureOverTheHost) {
  open(R"({"draggable":true})", R"("pos":{"x":200,"y":150},"size":{"width":400,"height":260})");
  EXPECT_EQ(act(R"({"action":2})"), "1");
  pumpFor(1500);  // the page's first frames reach its window
  RECT area = {};
  GetWindowRect(host_, &area);
  EXPECT_TRUE(vemo::test::save_screen_picture(area, "floater.png"));
  EXPECT_TRUE(IsWindowVisible(floaterWindow()));
}

}  // namespace
