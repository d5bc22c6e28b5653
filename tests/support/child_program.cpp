// A small program the tests start as "the game": it can report its working
// folder and arguments, stay alive for a while, and exit with a chosen code.
//   child_program.exe [--report <file>] [--sleep-ms N] [--exit-code N] [other arguments...]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  int exit_code = 0;
  DWORD sleep_ms = 0;
  const char* report = nullptr;
  std::string others;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--report") && i + 1 < argc) {
      report = argv[++i];
    } else if (!std::strcmp(argv[i], "--sleep-ms") && i + 1 < argc) {
      sleep_ms = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
    } else if (!std::strcmp(argv[i], "--exit-code") && i + 1 < argc) {
      exit_code = std::atoi(argv[++i]);
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
  if (sleep_ms) Sleep(sleep_ms);
  return exit_code;
}
