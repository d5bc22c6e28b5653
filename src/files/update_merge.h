#pragma once
// Merging the staged ".update" folder into the program folder, early in the
// start-up of both programs, before any staged file can be in use. UI
// thread; blocks until done.
#include <string>

// Merges program_dir\.update into program_dir (UTF-8, with or without a
// trailing backslash) after removing program_dir\.vemoold. True when every
// staged entry was merged, also when nothing is staged; a file that could
// not be merged stays staged for the next start. A ".update" that is a link,
// and a link inside it, is neither followed nor removed (false).
bool merge_staged_update(const std::string& program_dir);

// merge_staged_update on the folder of the executable.
bool copy_directory_from_update_to_exe();
