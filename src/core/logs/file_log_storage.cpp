#include "core/logs/file_log_storage.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <string>
#include <utility>

#include "core/debug_log.h"
#include "core/logs/local_day.h"
#include "core/logs/log_folder.h"
#include "core/system_clock.h"
#include "core/text_convert.h"

namespace vemo::logs {

namespace {

constexpr std::int64_t kCountInterval = 60000;  // the folder is counted at most once a minute
constexpr std::int64_t kLossReportInterval = 60000;
constexpr int kRoomWaitMs = 2000;
constexpr int kExitFlushWaitMs = 3000;

std::atomic<FileLogStorage*> g_process_storage{nullptr};

std::unique_ptr<VemoLogModel> new_record(FileLogStorage::Clock clock) {
  auto record = std::make_unique<VemoLogModel>();
  record->thread_id = GetCurrentThreadId();
  record->time = clock();
  return record;
}

}  // namespace

FileLogStorage::FileLogStorage(const VemoLogConfig& config, Clock clock)
    : config_(config), clock_(clock ? clock : system_clock_ms), queue_(config.queue_limit, kRoomWaitMs) {
  // The C library sets up its number formatting at its first use and
  // registers an exit handler then. Done first on the writer thread while the
  // process exits, that registration would wait for the exit, which waits for
  // the writer's last flush: so it is done here, before the thread starts.
  vemo::JsonPtr number(cJSON_CreateNumber(0.5));
  print_json_formatted(number.get());
  thread_.reset(CreateThread(nullptr, 0, writer_main, this, 0, &writer_thread_id_));
  if (!thread_) vemo_debug_printf("file log: the writer thread did not start (%lu)", GetLastError());
}

FileLogStorage::~FileLogStorage() {
  if (!thread_) return;
  queue_.push(LogCommand{kLogStop, nullptr, nullptr});
  WaitForSingleObject(thread_.get(), INFINITE);
}

FileLogStorage& FileLogStorage::getInstance() {
  // Never destroyed: other threads, and static destructors, may log until the process ends.
  static FileLogStorage* const storage = [] {
    auto* made = new FileLogStorage(program_log_config());
    g_process_storage.store(made);
    std::atexit(flush_logs_before_exit);
    return made;
  }();
  return *storage;
}

DWORD WINAPI FileLogStorage::writer_main(void* storage) {
  static_cast<FileLogStorage*>(storage)->run();
  return 0;
}

void FileLogStorage::run() {
  // Set up here, before any command: the writer is touched by this thread only.
  vemolog_init(writer_, config_.log_directory, config_.max_file_size);
  for (;;) {
    LogCommand command = queue_.pop();
    if (!handle(command)) break;
  }
  vemolog_flush_all(writer_);
}

bool FileLogStorage::handle(LogCommand& command) {
  switch (command.kind) {
    case kLogStop:
      if (std::shared_ptr<Listener> drain = listener_for(kLogDrain)) (*drain)(command);
      return false;
    case kLogDrain:
      vemolog_flush(writer_);
      if (std::shared_ptr<Listener> drain = listener_for(kLogDrain)) (*drain)(command);
      if (command.done) command.done();
      return true;
    default:
      break;
  }
  if (std::shared_ptr<Listener> listener = listener_for(command.kind)) {
    (*listener)(command);
    return true;
  }
  switch (command.kind) {
    case kLogWrite:
      if (command.model) write_record(*command.model);
      break;
    case kLogFlush:
      vemolog_flush(writer_);
      break;
    case kLogRoll:
      // A new name even within the millisecond of the current file.
      current_file_time_ = std::max(clock_(), current_file_time_.load() + 1);
      open_current();
      last_count_ = 0;
      break;
    default:
      break;
  }
  return true;
}

void FileLogStorage::write_record(VemoLogModel& record) {
  std::int64_t now = clock_();
  check_day(now);
  if (!file_count_allows(now)) return note_lost("too many log files");
  if (record.json) {
    record.text = record.type_prefix + print_json_formatted(record.json.get());
    record.json.reset();
  }
  if (record.text.empty()) return;
  if (vemolog_current_file(writer_).empty()) open_current();  // a failed open is tried again
  int result = cvemolog_write(writer_, record.text);
  if (result == kWriteOverSize) {
    // A full file goes on in the next one instead of refusing the rest of the day.
    current_file_time_ = std::max(now, current_file_time_.load() + 1);
    open_current();
    last_count_ = 0;
    if (!file_count_allows(now)) return note_lost("too many log files");
    result = cvemolog_write(writer_, record.text);
  }
  if (result != kWriteDone) note_lost("the log file did not take the record");
}

void FileLogStorage::check_day(std::int64_t now) {
  if (day_mark_ < now && now < day_end_) return;
  std::int64_t day = local_midnight_ms(now);
  day_end_ = local_midnight_days_from(now, 1);
  int retention_days = static_cast<int>(config_.retention_ms / kMsPerDay);
  std::int64_t newest = clean_log_files(config_.log_directory, local_midnight_days_from(now, -retention_days));
  if (newest) current_file_time_ = newest;
  day_mark_ = day;
  std::int64_t current = current_file_time_.load();
  if (current == 0 || current < day || current >= day_end_) current_file_time_ = now;
  open_current();
}

bool FileLogStorage::file_count_allows(std::int64_t now) {
  if (now - last_count_ > kCountInterval) {
    file_count_ = count_log_files(config_.log_directory);
    last_count_ = now;
    if (file_count_ > config_.max_files)
      vemo_debug_printf("file log: %d log files in %s, more than %d: records are not written until some go",
                        file_count_, wstring_to_utf8(config_.log_directory).c_str(), config_.max_files);
  }
  return file_count_ <= config_.max_files;
}

void FileLogStorage::open_current() {
  std::wstring name = std::to_wstring(current_file_time_.load());
  int result = vemolog_open(writer_, name);
  if (result != kOpenDone)
    vemo_debug_printf("file log: cannot open %s\\%s (%d)", wstring_to_utf8(config_.log_directory).c_str(),
                      wstring_to_utf8(name).c_str(), result);
}

std::shared_ptr<FileLogStorage::Listener> FileLogStorage::listener_for(int kind) {
  std::lock_guard<std::mutex> lock(listeners_mutex_);
  auto found = listeners_.find(kind);
  return found == listeners_.end() ? nullptr : found->second;
}

void FileLogStorage::note_lost(const char* why) {
  std::int64_t lost = ++lost_;
  std::int64_t now = system_clock_ms();
  std::int64_t last = last_loss_report_.load();
  if (now - last < kLossReportInterval && lost > 1) return;
  if (!last_loss_report_.compare_exchange_strong(last, now)) return;  // another thread reports
  vemo_debug_printf("file log: a record was lost (%s); %lld lost so far", why, static_cast<long long>(lost));
}

int FileLogStorage::commit_text_record(const char* text, const char* alternative) {
  const char* chosen = alternative && *alternative ? alternative : text;
  if (!chosen || !*chosen) return 0;
  std::unique_ptr<VemoLogModel> record = new_record(clock_);
  record->text = chosen;
  if (queue_.push_limited(LogCommand{kLogWrite, std::move(record), nullptr}, !on_writer_thread())) return 1;
  note_lost("the queue is full");
  return 0;
}

int FileLogStorage::commit_json_record(vemo::JsonPtr json, const char* type_prefix) {
  if (!json) return 0;
  std::unique_ptr<VemoLogModel> record = new_record(clock_);
  record->json = std::move(json);
  record->type_prefix = type_prefix ? type_prefix : "";
  if (queue_.push_limited(LogCommand{kLogWrite, std::move(record), nullptr}, !on_writer_thread())) return 1;
  note_lost("the queue is full");
  return 0;
}

void FileLogStorage::queue_flush() {
  if (!config_.log_directory.empty()) queue_.push(LogCommand{kLogFlush, nullptr, nullptr});
}

void FileLogStorage::queue_roll() {
  if (!config_.log_directory.empty()) queue_.push(LogCommand{kLogRoll, nullptr, nullptr});
}

void FileLogStorage::push_command(LogCommand command) { queue_.push(std::move(command)); }

void FileLogStorage::register_listener(int kind, Listener listener) {
  auto shared = std::make_shared<Listener>(std::move(listener));
  std::lock_guard<std::mutex> lock(listeners_mutex_);
  listeners_[kind] = std::move(shared);
}

std::string FileLogStorage::get_log_file_infos(const cJSON* query) const {
  return log_file_infos_json(config_.log_directory, query);
}

std::string FileLogStorage::get_current_log_file() const {
  return log_file_info_json(config_.log_directory, current_file_time_.load());
}

bool FileLogStorage::flush_and_wait(int timeout_ms) {
  if (!thread_) return false;
  if (on_writer_thread()) {
    LogCommand drain{kLogDrain, nullptr, nullptr};
    handle(drain);
    return true;
  }
  struct Signal {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
  };
  auto signal = std::make_shared<Signal>();
  queue_.push(LogCommand{kLogDrain, nullptr, [signal] {
                           std::lock_guard<std::mutex> lock(signal->mutex);
                           signal->done = true;
                           signal->changed.notify_all();
                         }});
  std::unique_lock<std::mutex> lock(signal->mutex);
  return signal->changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return signal->done; });
}

void flush_logs_before_exit() {
  if (FileLogStorage* storage = g_process_storage.load()) storage->flush_and_wait(kExitFlushWaitMs);
}

}  // namespace vemo::logs
