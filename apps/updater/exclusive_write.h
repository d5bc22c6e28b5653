#pragma once
// Whether files can be replaced now: each one can be opened for writing with
// no sharing (a file that does not exist counts as writable).
#include <windows.h>

#include <string>
#include <vector>

struct ExclusiveWriteCheck {
  bool writable = true;
  std::string path;  // the first file that could not be opened
  DWORD error = 0;   // and why
  int attempts = 0;
};

// Tries up to retries + 1 times, sleep_ms apart, while the failure is a lock
// (sharing, lock or user-mapped-file violation); any other error ends at
// once. Empty paths are skipped; negative numbers count as 0.
ExclusiveWriteCheck can_write_files_exclusive(const std::vector<std::string>& paths, int retries, int sleep_ms);
