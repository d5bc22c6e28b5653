// Run once before the tests: the first window of a Wine session starts the
// desktop process, which would otherwise inherit the output of whichever
// test made the first window and keep its test "running" until the end.
#include <windows.h>

int main() {
  WNDCLASSEXW wc = {sizeof(wc)};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"vemo_wine_warm_up";
  RegisterClassExW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance,
                                nullptr);
  if (window) DestroyWindow(window);
  return window ? 0 : 1;
}
