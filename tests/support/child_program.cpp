// A small program the tests start as "the game": it can report its working
// folder and arguments, stay alive for a while, and exit with a chosen code.
//   child_program.exe [--report <file>] [--sleep-ms N] [--exit-code N]
//                     [--window <title> [--window-kind plain|tray|stubborn]] [other arguments...]
// With --window it shows a top-level window and runs until that window is
// destroyed (then exits with the chosen code, or after --sleep-ms with 0):
// "plain" ends on WM_CLOSE; "tray" behaves like the launcher hidden to its
// tray (class "vemosdk_launcher_class": WM_CLOSE hides it, WM_APP + 2 ends
// it); "stubborn" ignores WM_CLOSE.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum class WindowKind { kPlain, kTray, kStubborn };
WindowKind g_kind = WindowKind::kPlain;

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      if (g_kind == WindowKind::kTray) ShowWindow(window, SW_HIDE);
      if (g_kind == WindowKind::kPlain) DestroyWindow(window);
      return 0;
    case WM_APP + 2:
      if (g_kind == WindowKind::kTray) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Runs the window until it is destroyed; false when it could not be made.
bool run_window(const char* title, DWORD sleep_ms) {
  const char* class_name = g_kind == WindowKind::kTray ? "vemosdk_launcher_class" : "child_program_window";
  WNDCLASSA wc = {};
  wc.lpfnWndProc = window_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = class_name;
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, class_name, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
  if (!window) return false;
  if (sleep_ms) SetTimer(window, 1, sleep_ms, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == window) std::exit(0);
    DispatchMessageA(&message);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int exit_code = 0;
  DWORD sleep_ms = 0;
  const char* report = nullptr;
  const char* window_title = nullptr;
  std::string others;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--report") && i + 1 < argc) {
      report = argv[++i];
    } else if (!std::strcmp(argv[i], "--sleep-ms") && i + 1 < argc) {
      sleep_ms = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    } else if (!std::strcmp(argv[i], "--exit-code") && i + 1 < argc) {
      exit_code = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--window") && i + 1 < argc) {
      window_title = argv[++i];
    } else if (!std::strcmp(argv[i], "--window-kind") && i + 1 < argc) {
      const char* kind = argv[++i];
      g_kind = !std::strcmp(kind, "tray") ? WindowKind::kTray
               : !std::strcmp(kind, "stubborn") ? WindowKind::kStubborn
                                                : WindowKind::kPlain;
    } else {
      others += others.empty() ? "" : " ";
      others += argv[i];
    }
  }
  if (report) {
    char cwd[MAX_PATH * 4] = {};
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    if (FILE* f = std::fopen(report, "wb")) {
      std::fprintf(f, "cwd=%s\nargs=%s\n", cwd, others.c_str());
      std::fclose(f);
    }
  }
  if (window_title) return run_window(window_title, sleep_ms) ? exit_code : 1;
  if (sleep_ms) Sleep(sleep_ms);
  return exit_code;
}
