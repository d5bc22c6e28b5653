#include "log_test_files.h"

#include <windows.h>

#include <algorithm>

#include "core/file_utils.h"
#include "core/owners.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace vemo::test {

std::vector<std::string> file_names(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW(utf8_to_wstring(folder + "\\*").c_str(), &found));
  if (!find) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(wstring_to_utf8(found.cFileName));
  } while (FindNextFileW(find.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

void make_log_files(const std::string& folder, const std::vector<std::int64_t>& times) {
  create_dirs_for_path(folder + "\\x");
  for (std::int64_t time : times) write_file(folder + "\\" + std::to_string(time), "");
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace vemo::test
