#include "core/logs/jf_file_storage.h"

#include <algorithm>
#include <utility>

#include "core/debug_log.h"
#include "core/logs/file_log_storage.h"
#include "core/logs/jf_folder_name.h"
#include "core/logs/local_day.h"
#include "core/logs/log_folder.h"
#include "core/text_convert.h"

namespace vemo::logs {

namespace {

constexpr std::int64_t kCountInterval = 60000;

LogCommand command_with_folder(int kind, const std::wstring& folder) {
  auto model = std::make_unique<VemoLogModel>();
  model->sub_directory = folder;
  return LogCommand{kind, std::move(model), nullptr};
}

bool refused(const char* what, const std::wstring& name) {
  if (name.empty() || is_plain_folder_name(name)) return false;
  vemo_debug_printf("jf log: %s refused, not one plain folder name: %s", what, wstring_to_utf8(name).c_str());
  return true;
}

}  // namespace

JFFileStorage::JFFileStorage(FileLogStorage& storage) : storage_(storage) { writer_.per_directory_streams = true; }

JFFileStorage& JFFileStorage::getInstance() {
  // Never destroyed: the writer thread calls its listeners until the process ends.
  static JFFileStorage* const store = new JFFileStorage(FileLogStorage::getInstance());
  return *store;
}

bool JFFileStorage::init(const std::wstring& name) {
  if (refused("set-up", name)) return false;
  std::call_once(listeners_registered_, [this] {
    storage_.register_listener(kJfSetUp, [this](LogCommand& command) { set_up(command); });
    storage_.register_listener(kJfWrite, [this](LogCommand& command) { write(command); });
    storage_.register_listener(kJfRoll, [this](LogCommand&) { roll(); });
    storage_.register_listener(kJfFlush, [this](LogCommand&) { flush_current(); });
    storage_.register_listener(kJfSwitch, [this](LogCommand& command) { switch_to(command); });
    storage_.register_listener(kLogDrain, [this](LogCommand&) { vemolog_flush_all(writer_); });
  });
  if (name.empty()) {
    has_directory_ = false;
    return true;
  }
  has_directory_ = true;
  // The jf writer is set up on the writer thread, like everything it does.
  storage_.push_command(command_with_folder(kJfSetUp, storage_.config().base_directory + L"\\" + name));
  return true;
}

bool JFFileStorage::switch_sub_dir(const std::wstring& name) {
  if (refused("sub-folder", name)) return false;
  if (has_directory_ && !name.empty()) storage_.push_command(command_with_folder(kJfSwitch, name));
  return true;
}

void JFFileStorage::log(const char* text) {
  if (!text || !*text || !has_directory_) return;  // before set-up there is nowhere to write
  auto model = std::make_unique<VemoLogModel>();
  model->text = text;
  model->thread_id = GetCurrentThreadId();
  model->time = storage_.clock()();
  storage_.push_command(LogCommand{kJfWrite, std::move(model), nullptr});
}

void JFFileStorage::flush() {
  if (has_directory_) storage_.push_command(LogCommand{kJfFlush, nullptr, nullptr});
}

void JFFileStorage::scroll() {
  if (has_directory_) storage_.push_command(LogCommand{kJfRoll, nullptr, nullptr});
}

std::string JFFileStorage::file_infos(const cJSON* query) const {
  std::lock_guard<std::mutex> lock(published_mutex_);
  return log_file_infos_json(published_directory_, query);
}

std::string JFFileStorage::current_file_info() const {
  std::lock_guard<std::mutex> lock(published_mutex_);
  return log_file_info_json(published_directory_, published_time_);
}

void JFFileStorage::set_up(LogCommand& command) {
  if (!command.model) return;
  directory_ = command.model->sub_directory;
  sub_directory_base_ = directory_;
  // A second set-up moves the store to its new folder.
  if (!writer_.initialised) {
    vemolog_init(writer_, directory_, storage_.config().max_file_size);
  } else {
    vemolog_jf_switch_dir(writer_, directory_);
  }
  reopen_needed_ = true;
  last_count_ = 0;
  publish();
}

void JFFileStorage::write(LogCommand& command) {
  if (!command.model || !writer_.initialised) return;
  std::int64_t now = storage_.clock()();
  if (reopen_needed_ || !(day_mark_ < now && now < day_end_)) day_check_and_open(now);
  if (!file_count_allows(now)) return storage_.note_lost("too many jf log files");
  const std::string& text = command.model->text;
  int result = cvemolog_write(writer_, text);
  if (result == kWriteOverSize) {
    current_time() = std::max(now, current_time() + 1);
    open_current("doScrollFile");
    last_count_ = 0;
    result = file_count_allows(now) ? cvemolog_write(writer_, text) : kWriteNotOpen;
  }
  if (result != kWriteDone) storage_.note_lost("the jf log file did not take the record");
}

void JFFileStorage::day_check_and_open(std::int64_t now) {
  std::int64_t day = local_midnight_ms(now);
  day_end_ = local_midnight_days_from(now, 1);
  int retention_days = static_cast<int>(storage_.config().retention_ms / kMsPerDay);
  std::int64_t newest = clean_log_files(directory_, local_midnight_days_from(now, -retention_days));
  if (newest) current_time() = newest;
  day_mark_ = day;
  std::int64_t& time = current_time();
  if (time == 0 || time < day || time >= day_end_) time = now;
  open_current("doWriteLog2File");
}

void JFFileStorage::flush_current() {
  if (!writer_.initialised) return;
  // A folder that was never written has no file to open (and none named "0").
  if (reopen_needed_ && current_time() != 0) open_current("doFlushLog2File");
  vemolog_flush(writer_);
}

void JFFileStorage::roll() {
  if (!writer_.initialised) return;
  // A new name even within the millisecond of the current file.
  current_time() = std::max(storage_.clock()(), current_time() + 1);
  open_current("doScrollFile");
  last_count_ = 0;
}

void JFFileStorage::switch_to(LogCommand& command) {
  if (!command.model || command.model->sub_directory.empty() || !writer_.initialised) return;
  std::wstring switched = sub_directory_base_ + L"\\" + command.model->sub_directory;
  if (switched != directory_) {
    reopen_needed_ = true;
    last_count_ = 0;  // the count was of the other folder
  }
  directory_ = switched;
  vemolog_jf_switch_dir(writer_, directory_);
  publish();
}

void JFFileStorage::open_current(const char* reason) {
  std::wstring name = std::to_wstring(current_time());
  int result = vemolog_open(writer_, name);
  vemo_debug_printf("JFFileStorage %s cvemosdkjflog_open, filePath: %s, filename: %s", reason,
                    wstring_to_utf8(directory_).c_str(), wstring_to_utf8(name).c_str());
  if (result != kOpenDone) vemo_debug_printf("jf log: the file did not open (%d)", result);
  reopen_needed_ = false;
  publish();
}

bool JFFileStorage::file_count_allows(std::int64_t now) {
  if (now - last_count_ > kCountInterval) {
    file_count_ = count_log_files(directory_);
    last_count_ = now;
    if (file_count_ > storage_.config().max_files)
      vemo_debug_printf("jf log: %d log files in %s, more than %d: records are not written until some go",
                        file_count_, wstring_to_utf8(directory_).c_str(), storage_.config().max_files);
  }
  return file_count_ <= storage_.config().max_files;
}

std::int64_t& JFFileStorage::current_time() { return current_times_[directory_]; }

void JFFileStorage::publish() {
  auto found = current_times_.find(directory_);
  std::lock_guard<std::mutex> lock(published_mutex_);
  published_directory_ = directory_;
  published_time_ = found == current_times_.end() ? 0 : found->second;
}

void vemosdk_init_jf_file_cache(const std::wstring& name) { JFFileStorage::getInstance().init(name); }
void vemosdk_switch_jf_sub_dir(const std::wstring& name) { JFFileStorage::getInstance().switch_sub_dir(name); }
void vemosdk_jf_log(const char* text) { JFFileStorage::getInstance().log(text); }
void vemosdk_flush_jf_log() { JFFileStorage::getInstance().flush(); }
void vemosdk_scroll_jf_log_file() { JFFileStorage::getInstance().scroll(); }
std::string vemosdk_get_jf_file_infos(const cJSON* query) { return JFFileStorage::getInstance().file_infos(query); }
std::string vemosdk_get_current_jf_file_info() { return JFFileStorage::getInstance().current_file_info(); }

}  // namespace vemo::logs
