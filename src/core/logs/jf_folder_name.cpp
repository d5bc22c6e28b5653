#include "core/logs/jf_folder_name.h"

namespace vemo::logs {

bool is_plain_folder_name(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  if (name.back() == L'.' || name.back() == L' ') return false;
  for (wchar_t c : name) {
    if (c < 0x20 || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) return false;
  }
  return true;
}

}  // namespace vemo::logs
