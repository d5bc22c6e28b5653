// A program that logs through the SDK's exported log interface from its own
// folder, for the tests of what reaches the files when it ends:
//   log_probe facade        open_log_with_config(0, 1, "info"), log_w("x"), a flush
//   log_probe exit N        N records, then main returns
//   log_probe exit-process N  N records, then the SDK's own exit (ExitProcess)
//   log_probe forever       numbered records until it is killed; "running" once
//                           the first blocks are on disk
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sdk/log_exports.h"
#include "core/logs/log_facade.h"
#include "lua/process_control.h"

namespace {

void log_numbered(int count) {
  for (int i = 0; i < count; ++i) vemosdk_log_i(("record " + std::to_string(i)).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  std::string scenario = argv[1];
  int count = argc > 2 ? std::atoi(argv[2]) : 0;
  vemosdk_open_log_with_config(0, 1, "info");
  if (scenario == "facade") {
    vemosdk_log_w("x");
    vemo::logs::vemosdk_flush_log();
    return 0;
  }
  if (scenario == "exit") {
    log_numbered(count);
    return 0;
  }
  if (scenario == "exit-process") {
    log_numbered(count);
    exit_own_process();
  }
  if (scenario == "forever") {
    for (int i = 0;; ++i) {
      // Digits of a counter's square compress poorly: blocks fill quickly.
      unsigned long long square = static_cast<unsigned long long>(i) * 2654435761u;
      vemosdk_log_i(("record " + std::to_string(i) + " " + std::to_string(square)).c_str());
      if (i == 2000) {
        std::puts("running");
        std::fflush(stdout);
      }
      if (i % 8 == 0) Sleep(1);  // a steady writer, not a busy one
    }
  }
  return 1;
}
