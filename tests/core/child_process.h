#pragma once
// Runs a program of the test folder and collects what it prints.
#include <string>

#include "core/owners.h"

namespace vemo::test {

struct ChildResult {
  int exit_code = -1;
  std::string output;  // standard output, carriage returns removed
};

// Starts a program (UTF-8 path) with the given arguments and waits for it;
// with errors_too, its standard error stream joins the output.
ChildResult run_program(const std::string& program, const std::string& arguments, bool errors_too = false);
// The same for <folder of this test exe>\<program>.
ChildResult run_sibling(const std::string& program, const std::string& arguments);
// Starts a program and returns once it has printed `text` (false when it
// ends or fails to start first); the program goes on running.
bool start_program_until(const std::string& program, const std::string& arguments, const std::string& text,
                         UniqueHandle& process);

}  // namespace vemo::test
