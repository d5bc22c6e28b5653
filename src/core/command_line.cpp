#include "core/command_line.h"

#include <cwctype>

#include "core/path_utils.h"

namespace {

bool is_blank(wchar_t c) { return c == L' ' || c == L'\t'; }

size_t skip_blanks(const std::wstring& text, size_t from) {
  while (from < text.size() && is_blank(text[from])) ++from;
  return from;
}

}  // namespace

void split_command_line(const std::wstring& command, std::wstring& path, std::wstring& arguments) {
  path.clear();
  arguments.clear();
  size_t start = skip_blanks(command, 0);
  if (start >= command.size()) return;

  size_t rest;  // where the arguments may start
  if (command[start] == L'"') {
    size_t close = command.find(L'"', start + 1);
    if (close == std::wstring::npos) return;
    path = command.substr(start + 1, close - start - 1);
    rest = close + 1;
  } else {
    size_t path_end = command.size();
    for (size_t i = start; i + 4 <= command.size(); ++i) {
      bool is_exe = std::towlower(command[i]) == L'.' && std::towlower(command[i + 1]) == L'e' &&
                    std::towlower(command[i + 2]) == L'x' && std::towlower(command[i + 3]) == L'e';
      if (is_exe && (i + 4 == command.size() || is_blank(command[i + 4]))) {
        path_end = i + 4;
        break;
      }
    }
    path = command.substr(start, path_end - start);
    rest = path_end;
  }
  rest = skip_blanks(command, rest);
  if (rest < command.size()) arguments = command.substr(rest);
}

std::wstring program_folder(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  // "C:\game.exe" runs in "C:\", not in the drive's current folder.
  std::wstring folder = path.substr(0, slash == 2 && path[1] == L':' ? slash + 1 : slash);
  if (folder.empty()) folder = path.substr(0, 1);  // "\game.exe": the root of the current drive
  return get_full_path_w(folder);
}
