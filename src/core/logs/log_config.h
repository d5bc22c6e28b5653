#pragma once
// Where and how much the log stores keep, from the program's folder.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vemo::logs {

struct VemoLogConfig {
  std::wstring log_directory;   // <program folder>\vemo\vemosdklogv1
  std::wstring base_directory;  // <program folder>\vemo, under which the jf store lives
  std::int64_t max_file_size = 2097152;
  int max_files = 100;
  std::int64_t retention_ms = 604800000;  // 7 days
  std::size_t queue_limit = 500;
};

// The configuration for a program folder (with or without its trailing backslash).
VemoLogConfig make_log_config(const std::wstring& program_directory);
// The configuration of this program's own folder.
VemoLogConfig program_log_config();

}  // namespace vemo::logs
