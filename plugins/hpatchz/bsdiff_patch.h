#pragma once
// Applying one patch in the format of the `bsdiff` tool ("BSDIFF40": a 32-byte
// header, then bzip2-compressed control, diff and extra blocks) in memory.
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Builds the new file's bytes from the old ones and the patch. False with a
// reason for a patch that is not of this format, truncated or inconsistent;
// nothing is read outside either input.
bool apply_bsdiff_patch(const Bytes& old_data, const Bytes& patch, Bytes& new_data, std::string& reason);
