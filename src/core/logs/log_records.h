#pragma once
// Splits the decoded text of a log file into its records.
#include <string>
#include <vector>

namespace vemo::logs {

// A JSON record (a log record, or an event behind its "E"), which the writer
// prints over several lines, comes back as one line without formatting; any
// other record is one line of text as it was written.
std::vector<std::string> split_log_records(const std::string& text);

}  // namespace vemo::logs
