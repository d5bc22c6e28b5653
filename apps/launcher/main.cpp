#include "launcher_main.h"

#include <windows.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  // Progress lines must reach a redirected standard output as they happen.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  return LauncherMain(instance, command_line);
}
