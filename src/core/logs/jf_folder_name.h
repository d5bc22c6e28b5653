#pragma once
// The folder names that scripts give the jf store.
#include <string>

namespace vemo::logs {

// One plain folder name: not empty, not "." or "..", no separator, drive,
// stream or wildcard character, no control character, and no trailing dot
// or blank (which Windows would drop, turning "..." or ".. " into "..").
bool is_plain_folder_name(const std::wstring& name);

}  // namespace vemo::logs
