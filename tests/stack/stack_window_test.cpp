// A real window receives WM_TIMER from a real message loop.
#include <gtest/gtest.h>
#include <windows.h>

namespace {

int g_ticks = 0;

LRESULT CALLBACK count_ticks(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == 10010 && ++g_ticks == 3) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST(StackWindow, TimerReachesTheWindowProcedure) {
  WNDCLASSEXW wc = {sizeof(wc)};
  wc.lpfnWndProc = count_ticks;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"vemo_stack_window_test";
  ASSERT_NE(0, RegisterClassExW(&wc));
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"stack", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, hwnd) << "no window: is the X server running?";
  ASSERT_NE(0u, SetTimer(hwnd, 10010, 50, nullptr));
  DWORD started = GetTickCount();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  EXPECT_EQ(3, g_ticks);
  EXPECT_GE(GetTickCount() - started, 100u);
  DestroyWindow(hwnd);
}

}  // namespace
