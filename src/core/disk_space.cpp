#include "core/disk_space.h"

#include <windows.h>

#include <algorithm>

std::uint64_t get_disk_free_space(const char* root) {
  ULARGE_INTEGER available, total, free_total;
  if (!root || !GetDiskFreeSpaceExA(root, &available, &total, &free_total)) return 0;
  return std::min(available.QuadPart, free_total.QuadPart);
}
