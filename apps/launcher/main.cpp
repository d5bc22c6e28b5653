#include <windows.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::printf("launcher: starting\n");
  return 0;
}
