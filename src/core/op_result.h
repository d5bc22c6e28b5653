#pragma once
// Result of a file operation, returned by value.
#include <string>

struct OpResult {
  int code = 0;         // 0, a Windows error code or a code of the calling operation
  std::string message;  // UTF-8; empty on success
  bool success = true;
};

OpResult init_op_result();
OpResult make_op_result(int code, const std::string& message);
// From GetLastError: its code and the first 50 bytes of its system message
// (cut at a character boundary); success when the code is 0.
OpResult make_last_error_result();
OpResult make_error_code_result(unsigned long code);  // the same for a given code
