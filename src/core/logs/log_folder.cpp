#include "core/logs/log_folder.h"

#include <windows.h>

#include <cstdio>
#include <limits>

#include "core/file_utils.h"
#include "core/logs/local_day.h"
#include "core/logs/log_json.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"

namespace vemo::logs {

namespace {

std::wstring join(const std::wstring& directory, const std::wstring& name) {
  if (!directory.empty() && (directory.back() == L'\\' || directory.back() == L'/')) return directory + name;
  return directory + L"\\" + name;
}

// Days since 1970-01-01 of a proleptic Gregorian date; a day past the end
// of its month runs on into the next, as timegm would take it.
std::int64_t days_from_civil(int year, int month, int day) {
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int year_of_era = year - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return static_cast<std::int64_t>(era) * 146097 + day_of_era - 719468;
}

// The UTC midnight of a "YYYY-MM-DD" text, in ms.
bool parse_date_filter(const char* text, std::int64_t& day_start) {
  int digits[8] = {};
  int n = 0;
  for (int i = 0; text[i]; ++i) {
    if (i >= 10) return false;
    bool dash_place = i == 4 || i == 7;
    if (dash_place != (text[i] == '-')) return false;
    if (!dash_place) {
      if (text[i] < '0' || text[i] > '9') return false;
      digits[n++] = text[i] - '0';
    }
  }
  if (n != 8) return false;
  int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
  int month = digits[4] * 10 + digits[5];
  int day = digits[6] * 10 + digits[7];
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  day_start = days_from_civil(year, month, day) * kMsPerDay;
  return true;
}

cJSON* file_info(const std::wstring& directory, const std::wstring& name) {
  std::wstring path = join(directory, name);
  cJSON* info = cJSON_CreateObject();
  cJSON_AddStringToObject(info, "file_name", wstring_to_utf8(name).c_str());
  cJSON_AddStringToObject(info, "file_path", wstring_to_utf8(path).c_str());
  cJSON_AddNumberToObject(info, "sizes", static_cast<double>(vemo_file_length_w(path.c_str())));
  return info;
}

bool is_directory(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(to_long_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool log_file_time(const std::wstring& name, std::int64_t& time) {
  if (name.empty() || name.size() > 19) return false;
  std::int64_t value = 0;
  for (wchar_t c : name) {
    if (c < L'0' || c > L'9') return false;
    int digit = c - L'0';
    if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return false;
    value = value * 10 + digit;
  }
  time = value;
  return true;
}

std::vector<LogFileEntry> list_log_files(const std::wstring& directory) {
  std::vector<LogFileEntry> files;
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW(to_long_path(join(directory, L"*")).c_str(), &found));
  if (!find) return files;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    LogFileEntry entry;
    entry.name = found.cFileName;
    if (log_file_time(entry.name, entry.time)) files.push_back(entry);
  } while (FindNextFileW(find.get(), &found));
  return files;
}

int count_log_files(const std::wstring& directory) { return static_cast<int>(list_log_files(directory).size()); }

std::int64_t clean_log_files(const std::wstring& directory, std::int64_t cutoff) {
  std::int64_t newest = 0;
  for (const LogFileEntry& file : list_log_files(directory)) {
    if (file.time < cutoff) {
      DeleteFileW(to_long_path(join(directory, file.name)).c_str());
    } else if (file.time > newest) {
      newest = file.time;
    }
  }
  return newest;
}

std::string log_file_infos_json(const std::wstring& directory, const cJSON* query) {
  vemo::JsonPtr result(cJSON_CreateObject());
  if (directory.empty() || !is_directory(directory)) return print_json_formatted(result.get());
  std::int64_t day_start = 0;
  const cJSON* filter = query ? cJSON_GetObjectItemCaseSensitive(query, "date_filter") : nullptr;
  bool filtered = cJSON_IsString(filter) && parse_date_filter(filter->valuestring, day_start);
  cJSON* data = cJSON_AddArrayToObject(result.get(), "data");
  for (const LogFileEntry& file : list_log_files(directory)) {
    if (filtered && (file.time == 0 || file.time < day_start || file.time > day_start + kMsPerDay)) continue;
    cJSON_AddItemToArray(data, file_info(directory, file.name));
  }
  return print_json_formatted(result.get());
}

std::string log_file_info_json(const std::wstring& directory, std::int64_t time) {
  std::wstring name = std::to_wstring(time);
  if (directory.empty() || time == 0 || GetFileAttributesW(to_long_path(join(directory, name)).c_str()) ==
                                            INVALID_FILE_ATTRIBUTES) {
    vemo::JsonPtr empty(cJSON_CreateObject());
    return print_json_formatted(empty.get());
  }
  vemo::JsonPtr info(file_info(directory, name));
  return print_json_formatted(info.get());
}

}  // namespace vemo::logs
