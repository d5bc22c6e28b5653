#pragma once
// An independent reading of a compressed log file for the tests: every byte
// must belong to a well-formed block, or the file fails.
#include <string>
#include <vector>

namespace vemo::test {

struct StrictBlock {
  size_t length = 0;   // the length field
  int padding = 0;     // n, the value of the padding bytes
  std::string text;    // the inflated records
};

// The blocks of the file's bytes; false (with a reason) as soon as one breaks
// a rule: start byte 0x01, length a multiple of 16, n in 1-16 repeated n
// times, a gzip member (window bits 31) that ends exactly at the padding, end
// byte 0x00.
bool read_strict_blocks(const std::string& bytes, std::vector<StrictBlock>& blocks, std::string& reason);

// The same on a file (UTF-8 path); a missing file has no blocks and fails.
bool read_strict_log_file(const std::string& path, std::vector<StrictBlock>& blocks, std::string& reason);

// All records of a file's blocks joined, for files the test knows are sound;
// "<broken: reason>" otherwise.
std::string strict_log_text(const std::string& path);

}  // namespace vemo::test
