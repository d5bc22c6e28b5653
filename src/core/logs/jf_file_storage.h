#pragma once
// JFFileStorage: a second store of compressed log files, for records the
// scripts prepare themselves, in vemo\<folder>[\<sub-folder>] of the program
// folder, one current file per folder. It has no thread of its own: its
// commands travel through the file log's queue and are handled on that
// writer thread by listeners it registers. Calls return at once.
#include <cjson/cJSON.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "core/logs/log_command.h"
#include "core/logs/vemolog.h"

namespace vemo::logs {

class FileLogStorage;

class JFFileStorage {
public:
  explicit JFFileStorage(FileLogStorage& storage);
  // The store of this program, over the process-wide file log.
  static JFFileStorage& getInstance();

  // Set-up on the folder vemo\<name>; a name that is not one plain folder
  // name is refused (false) and changes nothing; an empty name sets no folder.
  bool init(const std::wstring& name);
  // Makes <folder>\<name> current; refused like init; nothing before set-up.
  bool switch_sub_dir(const std::wstring& name);
  void log(const char* text);  // never dropped for a full queue
  void flush();
  void scroll();

  // JSON texts (cJSON_Print) on the files of the current folder.
  std::string file_infos(const cJSON* query) const;
  std::string current_file_info() const;

private:
  // Writer thread.
  void set_up(LogCommand& command);
  void write(LogCommand& command);
  void flush_current();
  void roll();
  void switch_to(LogCommand& command);
  void day_check_and_open(std::int64_t now);
  void open_current(const char* reason);
  bool file_count_allows(std::int64_t now);
  std::int64_t& current_time();
  void publish();

  FileLogStorage& storage_;
  std::atomic<bool> has_directory_{false};
  std::once_flag listeners_registered_;

  // Writer thread only.
  VemoLog writer_;
  std::wstring directory_;
  std::wstring sub_directory_base_;
  std::map<std::wstring, std::int64_t> current_times_;  // the file of each folder
  bool reopen_needed_ = false;
  std::int64_t day_mark_ = 0;
  std::int64_t day_end_ = 0;
  std::int64_t last_count_ = 0;
  int file_count_ = 0;

  // What the queries read, published by the writer thread.
  mutable std::mutex published_mutex_;
  std::wstring published_directory_;
  std::int64_t published_time_ = 0;
};

// The store's operations as the Lua functions reach them.
void vemosdk_init_jf_file_cache(const std::wstring& name);
void vemosdk_switch_jf_sub_dir(const std::wstring& name);
void vemosdk_jf_log(const char* text);
void vemosdk_flush_jf_log();
void vemosdk_scroll_jf_log_file();
std::string vemosdk_get_jf_file_infos(const cJSON* query);
std::string vemosdk_get_current_jf_file_info();

}  // namespace vemo::logs
