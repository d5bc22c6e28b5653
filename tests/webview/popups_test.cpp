// The native pop-ups through their _vemosdk functions, in real windows over a
// host window: the alert's answers and its owner, dismissals that never end
// the program, one loading pop-up and one toast at a time. Pictures of each
// are saved under the test work folder ("screenshots").
#include "core/lua_task_queue.h"
#include "core/sdk_runtime.h"
#include "core/text_convert.h"
#include "lua/vemosdk_module.h"
#include "lua_values.h"
#include "screen_picture.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace VemoSDK;

void pump(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) ADD_FAILURE() << "the pop-up asked the program to end";
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (std::chrono::steady_clock::now() < end);
}

// Tests run side by side on one display: only this process's windows count.
bool ownWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

std::vector<HWND> visibleOfClass(const wchar_t* name) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(nullptr, nullptr, name, nullptr); w; w = FindWindowExW(nullptr, w, name, nullptr))
    if (IsWindowVisible(w) && ownWindow(w)) found.push_back(w);
  return found;
}

class PopupsTest : public ::testing::Test {
protected:
  PopupsTest() {
    owner_ = CreateWindowExW(0, L"STATIC", L"pop-up owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 800, 600,
                             nullptr, nullptr, nullptr, nullptr);
    vmsdk_set_main_hwnd(owner_);
    luaL_requiref(lua_.get(), "_vemosdk", luaopen_vemosdk, 1);
    lua_pop(lua_.get(), 1);
    answers();
  }
  ~PopupsTest() override {
    run("_vemosdk.modal_close() _vemosdk.loading_hide() _vemosdk.toast_open(0, '', '{}')");
    pump(50);
    DestroyWindow(owner_);
    vmsdk_set_main_hwnd(nullptr);
  }
  std::string run(const std::string& chunk) { return vemo::test::run_chunk(lua_.get(), chunk); }
  // "ASYNC_CALL" answers so far: "#id json".
  std::vector<std::string> answers() {
    std::vector<std::string> found;
    for (;;) {
      std::vector<std::string> v = vemo::test::pop_values(lua_.get(), LuaTaskQueue::getInstance()->tick(lua_.get()));
      if (v.size() != 4) break;
      if (v[0] != "ASYNC_CALL") continue;
      std::string json;  // compared without the printer's layout
      for (char c : v[2])
        if (c != '\n' && c != '\t' && c != ' ') json += c;
      found.push_back(v[1] + " " + json);
    }
    return found;
  }
  HWND alertContent() {
    std::vector<HWND> found = visibleOfClass(L"VemoSDKAlertViewContent");
    return found.size() == 1 ? found[0] : nullptr;
  }
  RECT ownerRect() {
    RECT r = {};
    GetWindowRect(owner_, &r);
    return r;
  }

  HWND owner_ = nullptr;
  vemo::test::LuaStateHolder lua_;
};

TEST_F(PopupsTest, TheSecondButtonAnswersOnceAndFreesTheOwner) {
  EXPECT_EQ(run(R"(_vemosdk.modal_open(7, "Update", '{"buttons":["Later","Now","Never"],"message":"A new version is ready.","alignType":"center"}'))"), "");
  pump(100);
  HWND content = alertContent();
  ASSERT_TRUE(content);
  EXPECT_FALSE(IsWindowEnabled(owner_));
  EXPECT_TRUE(GetDlgItem(content, 10001));
  EXPECT_TRUE(GetDlgItem(content, 10002)) << "three buttons show the first two";
  RECT box = {};
  GetWindowRect(content, &box);
  EXPECT_EQ(box.right - box.left, 400);
  EXPECT_EQ(box.bottom - box.top, 60 + 140);
  EXPECT_TRUE(vemo::test::save_screen_picture(ownerRect(), "alert.png"));

  // A second alert while one shows is refused.
  run(R"(_vemosdk.modal_open(8, "Other", '{}'))");
  pump(50);
  EXPECT_EQ(visibleOfClass(L"VemoSDKAlertViewContent").size(), 1u);

  SendMessageW(content, WM_COMMAND, 10002, 0);
  SendMessageW(content, WM_COMMAND, 10002, 0);  // the window is gone: nothing more
  pump(50);
  EXPECT_EQ(answers(), std::vector<std::string>{"#7 {\"index\":1}"});
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(alertContent(), nullptr);

  // The slot is free again; a one-button alert has only the first button.
  run(R"(_vemosdk.modal_open(9, "Notice", '{"buttons":["OK"]}'))");
  pump(50);
  ASSERT_TRUE(alertContent());
  EXPECT_FALSE(GetDlgItem(alertContent(), 10002));
  SendMessageW(alertContent(), WM_COMMAND, 10001, 0);
  EXPECT_EQ(answers(), std::vector<std::string>{"#9 {\"index\":0}"});
}

TEST_F(PopupsTest, ClosingAnAlertOrAToastOtherwiseIsADismissal) {
  run(R"(_vemosdk.modal_open(4294967301, "Quit?", '{"buttons":["No","Yes"]}'))");
  pump(50);
  ASSERT_TRUE(alertContent());
  SendMessageW(alertContent(), WM_SYSCOMMAND, SC_CLOSE, 0);  // what Alt+F4 sends
  pump(100);  // fails on a quit message
  EXPECT_EQ(alertContent(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(answers(), std::vector<std::string>{"#4294967301 {\"index\":-1}"}) << "the id keeps its 64 bits";

  run(R"(_vemosdk.toast_open(0, "Saved", '{}'))");
  pump(50);
  std::vector<HWND> toasts = visibleOfClass(L"VemoSDKToastViewBackGround");
  ASSERT_EQ(toasts.size(), 1u);
  SendMessageW(toasts[0], WM_SYSCOMMAND, SC_CLOSE, 0);
  pump(100);
  EXPECT_TRUE(visibleOfClass(L"VemoSDKToastViewBackGround").empty());
  run(R"(_vemosdk.toast_open(0, "Saved again", '{}'))");
  pump(50);
  EXPECT_EQ(visibleOfClass(L"VemoSDKToastViewBackGround").size(), 1u) << "the closed toast left its slot";

  // An alert whose owner goes first: its windows go with it, and closing it
  // afterwards harms nothing.
  run(R"(_vemosdk.modal_open(5, "Gone", '{}'))");
  pump(50);
  ASSERT_TRUE(alertContent());
  DestroyWindow(owner_);
  pump(100);
  EXPECT_EQ(alertContent(), nullptr);
  run("_vemosdk.modal_close()");
  pump(50);
}

TEST_F(PopupsTest, OneLoadingPopUpAndOneToast) {
  run("_vemosdk.loading_show()");
  run("_vemosdk.loading_show()");
  pump(300);
  std::vector<HWND> overlays = visibleOfClass(L"VemoSdkLoadingView");
  ASSERT_EQ(overlays.size(), 1u);
  RECT box = {};
  GetWindowRect(overlays[0], &box);
  EXPECT_EQ(box.right - box.left, 55);
  RECT owner = ownerRect();
  EXPECT_EQ(box.left, (owner.right - owner.left) / 2 + owner.left - 27);
  EXPECT_TRUE(vemo::test::save_screen_picture(owner, "loading.png"));
  run("_vemosdk.loading_hide()");
  pump(50);
  EXPECT_TRUE(visibleOfClass(L"VemoSdkLoadingView").empty());

  run("_vemosdk.toast_open(0, '', '{}')");  // nothing to close
  run(R"(_vemosdk.toast_open(0, "Download finished", '{}'))");
  run(R"(_vemosdk.toast_open(0, "Another", '{"messageHeight":40}'))");
  pump(100);
  std::vector<HWND> toasts = visibleOfClass(L"VemoSDKToastViewBackGround");
  ASSERT_EQ(toasts.size(), 1u);
  GetWindowRect(toasts[0], &box);
  EXPECT_EQ(box.bottom - box.top, 20 + 25) << "the first toast's height";
  EXPECT_TRUE(vemo::test::save_screen_picture(owner, "toast.png"));
  pump(300);
  EXPECT_EQ(visibleOfClass(L"VemoSDKToastViewBackGround").size(), 1u) << "a toast stays until closed";
  run("_vemosdk.toast_open(0, '', '{}')");
  pump(50);
  EXPECT_TRUE(visibleOfClass(L"VemoSDKToastViewBackGround").empty());
  EXPECT_TRUE(answers().empty());
}

TEST_F(PopupsTest, WrongArgumentTypesRaise) {
  EXPECT_NE(run("_vemosdk.modal_open('x', 'title', '{}')").find("error"), std::string::npos);
  EXPECT_NE(run("_vemosdk.toast_open(0, {}, '{}')").find("error"), std::string::npos);
  EXPECT_EQ(run("_vemosdk.modal_open(3, 'Broken', 'not json') _vemosdk.modal_close()"), "");
}

}  // namespace
