#include "folder_manifest.h"

#include <sstream>

namespace {

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// A plain relative path: no drive, no leading separator, no "." or ".."
// component, no empty component.
bool stays_inside(const std::string& path) {
  if (path.empty()) return false;
  if (path.find(':') != std::string::npos) return false;
  size_t start = 0;
  for (;;) {
    size_t end = path.find_first_of("/\\", start);
    std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

bool parse_manifest(const std::string& text, std::vector<ManifestEntry>& entries, int& bad_line) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = split_tabs(line);
    if (fields.size() != 3 || !stays_inside(fields[0]) || !stays_inside(fields[1]) || !stays_inside(fields[2])) {
      bad_line = number;
      return false;
    }
    entries.push_back({fields[0], fields[1], fields[2]});
  }
  return true;
}
