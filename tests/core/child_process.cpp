#include "child_process.h"

#include <windows.h>

#include "core/path_utils.h"
#include "core/text_convert.h"

namespace vemo::test {

namespace {

// Starts a program whose standard output (and, with errors_too, standard
// error) goes into a pipe; the read end of it comes back in `output`.
bool start_with_output_pipe(const std::string& program, const std::string& arguments, bool errors_too,
                            UniqueHandle& process, UniqueHandle& output) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return false;
  UniqueHandle reader(read_end), writer(write_end);
  SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  std::wstring command = L"\"" + utf8_to_wstring(program) + L"\" " + utf8_to_wstring(arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer.get();
  startup.hStdError = errors_too ? writer.get() : GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
    return false;
  process.reset(info.hProcess);
  UniqueHandle thread(info.hThread);
  output = std::move(reader);  // the pipe ends when the child's copy of the write end closes
  return true;
}

}  // namespace

ChildResult run_program(const std::string& program, const std::string& arguments, bool errors_too) {
  ChildResult result;
  UniqueHandle process, reader;
  if (!start_with_output_pipe(program, arguments, errors_too, process, reader)) return result;

  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(reader.get(), chunk, sizeof chunk, &got, nullptr) && got > 0) result.output.append(chunk, got);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  result.exit_code = static_cast<int>(code);
  std::string clean;
  for (char c : result.output)
    if (c != '\r') clean += c;
  result.output = clean;
  return result;
}

ChildResult run_sibling(const std::string& program, const std::string& arguments) {
  return run_program(get_program_dir() + program, arguments);
}

bool start_program_until(const std::string& program, const std::string& arguments, const std::string& text,
                         UniqueHandle& process) {
  UniqueHandle reader;
  if (!start_with_output_pipe(program, arguments, false, process, reader)) return false;
  std::string output;
  char chunk[256];
  DWORD got = 0;
  while (output.find(text) == std::string::npos && ReadFile(reader.get(), chunk, sizeof chunk, &got, nullptr) && got)
    output.append(chunk, got);
  return output.find(text) != std::string::npos;
}

}  // namespace vemo::test
