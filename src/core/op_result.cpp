#include "core/op_result.h"

#include <windows.h>

#include "core/text_convert.h"
#include "core/win_utils.h"

namespace {
constexpr size_t kMessageBytes = 50;
}

OpResult init_op_result() { return OpResult{}; }

OpResult make_op_result(int code, const std::string& message) { return OpResult{code, message, false}; }

OpResult make_error_code_result(unsigned long code) {
  std::string message = wstring_to_utf8(windows_error_text(code));
  utf8_truncate(message, kMessageBytes);
  return OpResult{static_cast<int>(code), message, code == 0};
}

OpResult make_last_error_result() { return make_error_code_result(GetLastError()); }
