#include "core/logs/local_day.h"

#include <windows.h>

namespace vemo::logs {

namespace {

constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;

FILETIME to_file_time(std::int64_t ms) {
  ULARGE_INTEGER ticks;
  ticks.QuadPart = static_cast<ULONGLONG>(ms * 10000 + kUnixEpochIn100ns);
  return FILETIME{ticks.LowPart, ticks.HighPart};
}

std::int64_t to_ms(const FILETIME& time) {
  ULARGE_INTEGER ticks;
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return (static_cast<std::int64_t>(ticks.QuadPart) - kUnixEpochIn100ns) / 10000;
}

// The local date of a UTC time at 00:00:00.000, as a plain calendar time.
SYSTEMTIME local_date_of(std::int64_t utc_ms) {
  FILETIME utc_file = to_file_time(utc_ms);
  SYSTEMTIME utc = {}, local = {};
  FileTimeToSystemTime(&utc_file, &utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
  local.wHour = local.wMinute = local.wSecond = local.wMilliseconds = 0;
  return local;
}

std::int64_t utc_of_local(const SYSTEMTIME& local) {
  SYSTEMTIME utc = {};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) utc = local;
  FILETIME file = {};
  SystemTimeToFileTime(&utc, &file);
  return to_ms(file);
}

}  // namespace

std::int64_t local_midnight_ms(std::int64_t now) { return utc_of_local(local_date_of(now)); }

std::int64_t local_midnight_days_from(std::int64_t now, int days) {
  // Whole days added to a calendar time that has no time zone land on the
  // right date whatever daylight saving does in between.
  SYSTEMTIME date = local_date_of(now);
  FILETIME calendar = {};
  SystemTimeToFileTime(&date, &calendar);
  FILETIME moved = to_file_time(to_ms(calendar) + static_cast<std::int64_t>(days) * kMsPerDay);
  SYSTEMTIME moved_date = {};
  FileTimeToSystemTime(&moved, &moved_date);
  return utc_of_local(moved_date);
}

}  // namespace vemo::logs
