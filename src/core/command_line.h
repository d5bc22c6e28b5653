#pragma once
// Reading a command line the way the programs start one: the program path
// first, then its arguments.
#include <string>

// Splits a command into the program path and its arguments: a quoted path, or
// an unquoted one that ends at the first ".exe" followed by a blank, a tab or
// the end. Both outputs are empty for a command of blanks.
void split_command_line(const std::wstring& command, std::wstring& path, std::wstring& arguments);

// The absolute folder of a program path from split_command_line (the path up
// to its last slash or backslash); empty when the path names no folder.
std::wstring program_folder(const std::wstring& program_path);
