#include "files/file_batch_item_path.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "core/link_check.h"
#include "core/path_utils.h"
#include "core/program_relative.h"
#include "core/text_convert.h"
#include "files/file_op_error.h"
#include "files/file_path_join.h"

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// One leading separator is part of the join's rules ("/a" under a base is
// base\a); two mean a server or device path.
bool names_its_own_root(const char* item) {
  return std::strchr(item, ':') != nullptr || (is_separator(item[0]) && is_separator(item[1]));
}

// full lies strictly below folder (both absolute, compared without case as
// Windows does).
bool is_strictly_inside(const std::wstring& full, std::wstring folder) {
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty() || full.size() <= folder.size() + 1 || full[folder.size()] != L'\\') return false;
  return CompareStringOrdinal(full.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                              static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

OpResult join_batch_item(const char* base, const char* item, char* out, size_t out_size) {
  if (item == nullptr) item = "";
  bool has_base = base != nullptr && *base != '\0';
  if (!has_base) {
    // The item as it is: no join, so a server or \\?\ path keeps its form.
    std::string path = in_program_folder(item);
    if (path.size() >= out_size) {
      if (out_size > 0) out[0] = '\0';
      return make_op_result(kFileOpPathTooLong, file_op_msg::kTooLong);
    }
    std::memcpy(out, path.c_str(), path.size() + 1);
    return init_op_result();
  }
  if (names_its_own_root(item)) return make_op_result(kFileOpPathOutsideBase, file_op_msg::kOutsideBase);
  // A relative base is in the program folder; the confinement below judges
  // that folder, not the current one.
  std::string folder = in_program_folder(base);
  if (vemo_path_join_win(out, out_size, folder.c_str(), item) < 0)
    return make_op_result(kFileOpPathTooLong, file_op_msg::kTooLong);
  // Decide on the absolute forms that Windows itself will use, so that ".."
  // and every other normalisation are judged as the file system sees them.
  std::wstring full_base = get_full_path_w(utf8_to_wstring(folder));
  std::wstring full_item = get_full_path_w(utf8_to_wstring(out));
  // A link below the base leads outside it whatever the text says.
  if (!is_strictly_inside(full_item, full_base) || passes_through_link(full_base, full_item)) {
    out[0] = '\0';
    return make_op_result(kFileOpPathOutsideBase, file_op_msg::kOutsideBase);
  }
  return init_op_result();
}
