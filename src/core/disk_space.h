#pragma once
// Free space of a drive. Apart from the file helpers, because the debug log
// asks for it and must not depend on anything that logs.
#include <cstdint>

// Bytes free on the drive of an ANSI root such as "C:\": the smaller of what
// the caller may use and what the drive has; 0 on failure.
std::uint64_t get_disk_free_space(const char* root);
