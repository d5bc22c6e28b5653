#pragma once
// VemoLogFacade: the entry of the structured log. Each entry is echoed as a
// debug log line; with the file switch on it becomes a JSON record for the
// file log. Any thread may call it; the switches are atomic words.
#include <cjson/cJSON.h>

#include <atomic>
#include <string>

namespace vemo::logs {

class FileLogStorage;

// Level names, their numbers and console tags: "debug" 4 DBG, "info" 3 INF,
// "warn" 2 WAR, "error" 1 ERR, "none" 0 NON.
extern const char* const kLevelDebug;
extern const char* const kLevelInfo;
extern const char* const kLevelWarn;
extern const char* const kLevelError;

class VemoLogFacade {
public:
  explicit VemoLogFacade(FileLogStorage& storage);
  // The facade of this program's file log, made on first use.
  static VemoLogFacade& getInstance();

  // A log record {"e","m","ti","mo","tags","args","ext","lv"}; the writer's
  // hand-over result with the file switch on, else the debug log's.
  int commit(const char* level_tag, const char* tag, const char* message, const char* module, const char* tags,
             const char* args, const char* extra);
  // An event record {"e","labels","msg","stats"}, recorded whatever the file switch.
  void commit_event(const char* name, const char* labels, const char* message, const char* stats);
  void configure(int console, int file, const char* level_name);
  void log_with_level(const char* text, const char* level_name, const char* alternative);

  FileLogStorage& storage() { return storage_; }
  int level() const { return level_.load(); }
  bool file_on() const { return file_switch_.load() != 0; }

private:
  FileLogStorage& storage_;
  std::atomic<int> file_switch_{0};
  std::atomic<int> console_switch_{0};
  std::atomic<int> level_{0};  // set from a level name; nothing filters by it
};

// The facade's operations as the exports and the Lua functions reach them.
void vemosdk_configure_log(int console, int file, const char* level_name);
void vemosdk_log_with_level(const char* text, const char* level_name, const char* unused, const char* alternative);
void vemosdk_flush_log();
void vemosdk_scroll_log_file();
// New JSON texts on the file log's files (cJSON_Print).
std::string vemosdk_get_log_file_infos(const cJSON* query);
std::string vemosdk_get_current_log_file();

}  // namespace vemo::logs
