#pragma once
// Paths that scripts hand to the file functions, batch operations, downloads
// and patches. A relative path names a place in the program folder, as it
// does when the program is started from its own folder: the process's
// current folder (a shortcut's "start in" folder, an activation's) never
// counts.
#include <string>

// The live context's program folder (trailing backslash); the executable's
// folder before the first start-up.
std::string vemosdk_program_dir();

// A relative path (is_relative_path) in the program folder; any other path,
// and the empty path, as it is. ".." steps stay in the text: the rules that
// confine a path to a folder judge the result.
std::string in_program_folder(const std::string& path);
