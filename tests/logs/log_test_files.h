#pragma once
// Folders of log files as the log tests see them.
#include <cstdint>
#include <string>
#include <vector>

namespace vemo::test {

// Names of the files (not folders) of a folder, sorted.
std::vector<std::string> file_names(const std::string& folder);
// Makes empty files named by each time.
void make_log_files(const std::string& folder, const std::vector<std::int64_t>& times);
// The lines of a text, without their "\n".
std::vector<std::string> lines_of(const std::string& text);

}  // namespace vemo::test
