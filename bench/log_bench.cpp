// Records through the log facade from several threads while the writer
// thread compresses them into the file log of this program's folder.
//   log_bench <records> <threads>
// Prints records=, threads=, seconds_calls= (until every thread returned),
// seconds_written= (until every record is in the file), call_us= (calling
// thread time per record, mean), lost= (records that reached no file).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/logs/file_log_storage.h"
#include "sdk/log_exports.h"

namespace {

double seconds_since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int records = argc > 1 ? _wtoi(argv[1]) : 100000;
  int threads = argc > 2 ? _wtoi(argv[2]) : 4;
  vemosdk_open_log_with_config(0, 1, "info");
  vemo::logs::FileLogStorage& storage = vemo::logs::FileLogStorage::getInstance();

  std::vector<double> call_seconds(threads);
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  std::vector<std::thread> producers;
  for (int t = 0; t < threads; ++t) {
    producers.emplace_back([t, threads, records, &call_seconds] {
      LARGE_INTEGER mine;
      QueryPerformanceCounter(&mine);
      for (int i = t; i < records; i += threads) {
        std::string message = "download progress of file " + std::to_string(i) + " at " + std::to_string(i * 7919 % 100000) + " bytes";
        vemosdk_log_commit_i("bench", message.c_str(), "http", "{\"task\":\"update\"}", nullptr, nullptr);
      }
      call_seconds[t] = seconds_since(mine);
    });
  }
  for (std::thread& producer : producers) producer.join();
  double calls = seconds_since(start);
  bool written = storage.flush_and_wait(600000);
  double all = seconds_since(start);
  double thread_seconds = 0;
  for (double s : call_seconds) thread_seconds += s;
  std::printf("records=%d threads=%d seconds_calls=%.3f seconds_written=%.3f call_us=%.2f lost=%lld written=%d\n",
              records, threads, calls, all, thread_seconds / records * 1e6, static_cast<long long>(storage.lost_records()),
              written ? 1 : 0);
  return written ? 0 : 1;
}
