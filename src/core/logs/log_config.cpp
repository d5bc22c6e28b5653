#include "core/logs/log_config.h"

#include "core/path_utils.h"

namespace vemo::logs {

VemoLogConfig make_log_config(const std::wstring& program_directory) {
  std::wstring folder = program_directory;
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  VemoLogConfig config;
  config.base_directory = folder + L"\\vemo";
  config.log_directory = config.base_directory + L"\\vemosdklogv1";
  return config;
}

VemoLogConfig program_log_config() { return make_log_config(get_program_dir_w()); }

}  // namespace vemo::logs
