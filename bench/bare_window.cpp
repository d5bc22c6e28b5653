// The native peer of the launcher's footprint and start-up: a plain Win32
// window with a 100 ms timer, built by the same toolchain, that prints the
// time from its process creation to its first timer tick and closes after
// the given seconds.
//   bare_window.exe [seconds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

double millisecondsSinceStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a{{created.dwLowDateTime, created.dwHighDateTime}};
  ULARGE_INTEGER b{{now.dwLowDateTime, now.dwHighDateTime}};
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

int g_ticks_left = 0;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER) {
    static bool first = true;
    if (first) {
      std::printf("first_tick_ms=%.0f\n", millisecondsSinceStart());
      std::fflush(stdout);
      first = false;
    }
    if (--g_ticks_left <= 0) DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int seconds = argc > 1 ? _wtoi(argv[1]) : 1;
  g_ticks_left = seconds * 10;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = windowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"BareWindow";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(0, L"BareWindow", L"bare window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                nullptr, nullptr, window_class.hInstance, nullptr);
  if (!window) return 1;
  SetTimer(window, 1, 100, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
