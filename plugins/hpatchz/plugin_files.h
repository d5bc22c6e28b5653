#pragma once
// Whole-file reads and writes on UTF-8 paths for the patch plug-in, which
// links nothing of the SDK.
#include <string>

#include "bsdiff_patch.h"

std::wstring to_wide(const std::string& utf8);
bool read_whole_file(const std::string& path, Bytes& out);
// Writes beside the target under a temporary name, then replaces it: a
// failure never leaves half a new file, and the old file may be the target.
bool write_file_replacing(const std::string& path, const Bytes& data);
bool path_exists(const std::string& path);
