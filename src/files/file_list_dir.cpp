// Folder listings for the batch listing: paths relative to the listed root.
#include <windows.h>

#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "files/file_batch_workers.h"
#include "files/file_op_error.h"

namespace {

std::wstring with_separator(const std::wstring& folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') return folder + L'\\';
  return folder;
}

std::string relative_to(const std::wstring& full, const std::wstring& root) {
  std::wstring relative = full.compare(0, root.size(), root) == 0 ? full.substr(root.size()) : full;
  if (!relative.empty() && (relative[0] == L'\\' || relative[0] == L'/')) relative.erase(0, 1);
  return wstring_to_utf8(relative);
}

}  // namespace

OpResult vemo_list_dir_w(const std::wstring& folder, const std::wstring& root, bool recursive, cJSON* data) {
  std::wstring prefix = with_separator(folder);
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(prefix + L"*").c_str(), &entry));
  if (!find) return make_op_result(kFileOpPathNotExists, file_op_msg::kPathNotExists);
  do {
    if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0) continue;
    std::wstring full = prefix + entry.cFileName;
    bool is_dir = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    cJSON* item = cJSON_CreateObject();
    cJSON_AddStringToObject(item, "path", relative_to(full, root).c_str());
    cJSON_AddBoolToObject(item, "is_dir", is_dir);
    cJSON_AddItemToArray(data, item);
    // A failure inside a sub-folder leaves the rest of the listing standing.
    if (recursive && is_dir && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      vemo_list_dir_w(full, root, recursive, data);
  } while (FindNextFileW(find.get(), &entry));
  return init_op_result();
}
