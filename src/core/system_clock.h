#pragma once
// Wall-clock time of the SDK: the system time as a FILETIME, less the
// 1601-to-1970 offset, in milliseconds since 1970-01-01 UTC.
#include <cstdint>

int64_t system_clock_ms();
