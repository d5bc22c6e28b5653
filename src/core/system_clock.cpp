#include "core/system_clock.h"

#include <windows.h>

int64_t system_clock_ms() {
  constexpr int64_t kUnixEpochIn100ns = 116444736000000000LL;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return (static_cast<int64_t>(ticks.QuadPart) - kUnixEpochIn100ns) / 10000;
}
