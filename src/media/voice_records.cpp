#include "media/voice_records.h"

#include <windows.h>

#include "core/owners.h"
#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "core/text_convert.h"

namespace VemoSDK::Media {

std::string records_folder() {
  VemoSDKContextPtr context = vemosdk_get_context();
  std::string base = context ? context->program_data_dir : get_program_dir();
  return base + "records\\";
}

std::string safe_record_name(const std::string& name) {
  std::string safe = name;
  for (char& c : safe) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::string("\\/:*?\"<>|").find(c) != std::string::npos) c = '_';
  }
  return safe;
}

int delete_records(const std::string& name) {
  std::wstring folder = utf8_to_wstring(records_folder());
  std::wstring wanted = utf8_to_wstring(safe_record_name(name));
  bool all = name == "*";
  if (wanted.empty()) return 0;
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(folder + L"*").c_str(), &entry));
  if (!find) return 0;
  int deleted = 0;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring file = entry.cFileName;
    size_t dot = file.rfind(L'.');
    std::wstring stem = dot == std::wstring::npos ? file : file.substr(0, dot);
    if (!all && stem != wanted) continue;
    if (DeleteFileW(to_long_path(folder + file).c_str())) ++deleted;
  } while (FindNextFileW(find.get(), &entry));
  return deleted;
}

}  // namespace VemoSDK::Media
