// Logs through the debug log as told on its command line:
//   debug_log_probe threads <count> <lines>   console on; <count> threads log <lines> lines each
//   debug_log_probe text <text>               console on; logs the text once
//   debug_log_probe file <folder> <free>      chooses the log file in <folder> as if the drive had
//                                             <free> bytes, then logs "probe line" with the console off
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/debug_log.h"
#include "core/debug_log_file.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "threads") == 0) {
    vemo_debug_set_console(1);
    int threads = std::atoi(argv[2]), lines = std::atoi(argv[3]);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
      workers.emplace_back([t, lines] {
        for (int i = 0; i < lines; ++i) vemo_debug_printf("thread %d line %d of a line long enough to interleave\n", t, i);
      });
    for (auto& worker : workers) worker.join();
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "text") == 0) {
    vemo_debug_set_console(1);
    return vemo_debug_print(argv[2]) == 1 ? 0 : 1;
  }
  if (argc == 4 && std::strcmp(argv[1], "file") == 0) {
    vemo_debug_open_log_file_in(argv[2], std::strtoull(argv[3], nullptr, 10));
    vemo_debug_printf("probe line %d\n", 1);
    return vemo_debug_enabled() ? 0 : 3;
  }
  return 2;
}
