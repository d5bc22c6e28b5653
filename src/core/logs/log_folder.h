#pragma once
// The log files of a folder: files whose name is a time in milliseconds,
// written in decimal digits only (such as 1715000000000). Any other name,
// "123.log" included, is not a log file: never listed, counted or deleted.
#include <cjson/cJSON.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vemo::logs {

struct LogFileEntry {
  std::wstring name;
  std::int64_t time = 0;
};

// The time a log file's name stands for; false for a name that is not one.
bool log_file_time(const std::wstring& name, std::int64_t& time);
// The log files of a folder in directory order (none when it cannot be read).
std::vector<LogFileEntry> list_log_files(const std::wstring& directory);
int count_log_files(const std::wstring& directory);
// Deletes the log files named by a time before `cutoff`; the newest time of
// those that remain, 0 when none does.
std::int64_t clean_log_files(const std::wstring& directory, std::int64_t cutoff);

// {"data": [{"file_name", "file_path", "sizes"}, ...]} for the log files of
// a folder that exists ({} otherwise). A "date_filter" of the form
// "YYYY-MM-DD" keeps the files named by a time of that UTC day, both ends
// included; a filter that does not parse keeps all. Printed with cJSON_Print.
std::string log_file_infos_json(const std::wstring& directory, const cJSON* query);
// {"file_name", "file_path", "sizes"} of the file named by `time`, or {}
// when the time is 0 or the file does not exist. Printed with cJSON_Print.
std::string log_file_info_json(const std::wstring& directory, std::int64_t time);

}  // namespace vemo::logs
