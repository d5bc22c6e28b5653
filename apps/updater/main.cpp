#include "updater_main.h"

#include <windows.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show_command) {
  // Progress lines must reach a redirected standard output as they happen.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  return UpdaterMain(instance, command_line, show_command);
}
