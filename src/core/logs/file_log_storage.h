#pragma once
// FileLogStorage owns the structured log files: any thread commits records
// and commands; its own writer thread handles all of them in queue order
// (files, the day change, cleaning, counting, and the jf store's listeners).
#include <windows.h>

#include <cjson/cJSON.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "core/logs/log_command.h"
#include "core/logs/log_command_queue.h"
#include "core/logs/log_config.h"
#include "core/logs/vemolog.h"
#include "core/owners.h"

namespace vemo::logs {

class FileLogStorage {
public:
  using Clock = std::int64_t (*)();
  using Listener = std::function<void(LogCommand& command)>;

  explicit FileLogStorage(const VemoLogConfig& config, Clock clock = nullptr);  // null: the system clock
  // Writes out what is queued and ends the writer thread. The process-wide
  // storage is never destroyed: any thread may log until the process ends.
  ~FileLogStorage();
  FileLogStorage(const FileLogStorage&) = delete;
  FileLogStorage& operator=(const FileLogStorage&) = delete;

  // The storage of this program's folder, made (and its thread started) on first use.
  static FileLogStorage& getInstance();

  // Records, queued when fewer than the queue limit wait (a full queue makes
  // the producer wait briefly; see LogCommandQueue). 1 queued, 0 not.
  int commit_text_record(const char* text, const char* alternative);
  int commit_json_record(vemo::JsonPtr json, const char* type_prefix);
  void queue_flush();
  void queue_roll();
  void push_command(LogCommand command);  // never dropped
  void register_listener(int kind, Listener listener);

  // JSON texts on the files (cJSON_Print), read on the calling thread.
  std::string get_log_file_infos(const cJSON* query) const;
  std::string get_current_log_file() const;

  // Writes out everything queued before the call and every block still being
  // built (the jf store's too); waits up to timeout_ms. false when the writer
  // did not get there in time.
  bool flush_and_wait(int timeout_ms);

  // Records that reached no file: dropped for a full queue or too many files,
  // or refused by the file writer.
  std::int64_t lost_records() const { return lost_.load(); }
  const VemoLogConfig& config() const { return config_; }
  Clock clock() const { return clock_; }
  bool on_writer_thread() const { return GetCurrentThreadId() == writer_thread_id_; }
  // Counts a record that reached no file and says so in the debug log (at most once a minute).
  void note_lost(const char* why);

private:
  static DWORD WINAPI writer_main(void* storage);
  void run();
  bool handle(LogCommand& command);  // false ends the thread
  void write_record(VemoLogModel& record);
  void check_day(std::int64_t now);
  bool file_count_allows(std::int64_t now);
  void open_current();
  std::shared_ptr<Listener> listener_for(int kind);

  const VemoLogConfig config_;
  const Clock clock_;
  LogCommandQueue queue_;
  std::mutex listeners_mutex_;
  std::unordered_map<int, std::shared_ptr<Listener>> listeners_;

  // Writer thread only.
  VemoLog writer_;
  std::int64_t day_mark_ = 0;  // local midnight of the day of the last day check
  std::int64_t day_end_ = 0;   // the next local midnight
  std::int64_t last_count_ = 0;
  int file_count_ = 0;

  // Read on any thread.
  std::atomic<std::int64_t> current_file_time_{0};
  std::atomic<std::int64_t> lost_{0};
  std::atomic<std::int64_t> last_loss_report_{0};

  DWORD writer_thread_id_ = 0;
  UniqueHandle thread_;
};

// Writes out the process-wide storage's pending records, when it exists,
// before the process ends (a normal exit, an exit from Lua, crash capture).
void flush_logs_before_exit();

}  // namespace vemo::logs
