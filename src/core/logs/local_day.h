#pragma once
// Local calendar days as the log stores see them. Days are counted on local
// dates, so a day with a daylight-saving change lasts 23 or 25 hours.
// Times are milliseconds since 1970-01-01 UTC.
#include <cstdint>

namespace vemo::logs {

constexpr std::int64_t kMsPerDay = 86400000;

// Local midnight of the local date of `now`.
std::int64_t local_midnight_ms(std::int64_t now);
// Local midnight of the local date `days` after that of `now` (before it when negative).
std::int64_t local_midnight_days_from(std::int64_t now, int days);

}  // namespace vemo::logs
