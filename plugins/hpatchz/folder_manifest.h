#pragma once
// The folder patch of this plug-in: a text manifest of per-file patches (see
// FOLDER_PATCH.txt beside this file).
#include <string>
#include <vector>

struct ManifestEntry {
  std::string old_path;    // relative to the old folder (or the resource-package folder)
  std::string patch_path;  // relative to the manifest's own folder
  std::string new_path;    // relative to the new folder
};

// One entry per line; false with the line number for a line that is not
// three tab-separated fields, or whose paths leave their folder.
bool parse_manifest(const std::string& text, std::vector<ManifestEntry>& entries, int& bad_line);
