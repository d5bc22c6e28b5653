#pragma once
// The file-patch request as read from its JSON text, and the path rules of
// its entries.
#include <cjson/cJSON.h>

#include <string>
#include <vector>

struct PatchFilesRequest {
  std::string old_dir;
  std::string res_pkg_dir;
  std::string patch_dir;
  std::string new_dir;
  std::vector<std::string> old_files;
  std::vector<std::string> new_files;
  std::vector<std::string> patch_files;
  std::vector<std::string> new_md5s;
};

// Reads the options (each "" when missing) and the four arrays; false with a
// reason when an array is missing, holds a non-text or differs in length
// from the others. Folder texts lose one trailing slash or backslash.
bool read_patch_request(const cJSON* root, PatchFilesRequest& request, std::string& reason);

// A relative entry text with one leading slash or backslash removed, put
// under folder with a backslash (the text alone for an empty folder); a path
// that is still relative then is taken in the program folder.
std::string patch_entry_path(const std::string& folder, const std::string& text);

// True when some component of the path is "..".
bool has_parent_step(const std::string& path);
