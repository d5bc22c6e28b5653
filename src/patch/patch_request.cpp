#include "patch/patch_request.h"

#include "core/json_utils.h"
#include "core/program_relative.h"

namespace {

void drop_trailing_separator(std::string& folder) {
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
}

bool read_texts(const cJSON* root, const char* name, std::vector<std::string>& out, std::string& reason) {
  const cJSON* array = cJSON_GetObjectItemCaseSensitive(root, name);
  if (!cJSON_IsArray(array)) {
    reason = std::string(name) + " is not an array";
    return false;
  }
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, array) {
    if (!cJSON_IsString(item)) {
      reason = std::string(name) + " holds a value that is not a text";
      return false;
    }
    out.emplace_back(item->valuestring);
  }
  return true;
}

}  // namespace

bool read_patch_request(const cJSON* root, PatchFilesRequest& request, std::string& reason) {
  if (!cJSON_IsObject(root)) {
    reason = "the request is not a JSON object";
    return false;
  }
  const cJSON* options = cJSON_GetObjectItemCaseSensitive(root, "options");
  request.old_dir = json_string_or_empty(options, "oldDirPath");
  request.res_pkg_dir = json_string_or_empty(options, "resPkgDirPath");
  request.patch_dir = json_string_or_empty(options, "patchDirPath");
  request.new_dir = json_string_or_empty(options, "newDirPath");
  for (std::string* folder : {&request.old_dir, &request.res_pkg_dir, &request.patch_dir, &request.new_dir})
    drop_trailing_separator(*folder);

  if (!read_texts(root, "oldFilePaths", request.old_files, reason) ||
      !read_texts(root, "newFilePaths", request.new_files, reason) ||
      !read_texts(root, "patchFilePaths", request.patch_files, reason) ||
      !read_texts(root, "newFileMd5Array", request.new_md5s, reason))
    return false;
  const size_t count = request.old_files.size();
  if (request.new_files.size() != count || request.patch_files.size() != count || request.new_md5s.size() != count) {
    reason = "the four file arrays differ in length";
    return false;
  }
  return true;
}

std::string patch_entry_path(const std::string& folder, const std::string& text) {
  std::string relative = text;
  if (!relative.empty() && (relative[0] == '/' || relative[0] == '\\')) relative.erase(0, 1);
  return in_program_folder(folder.empty() ? relative : folder + "\\" + relative);
}

bool has_parent_step(const std::string& path) {
  size_t start = 0;
  for (;;) {
    size_t end = path.find_first_of("/\\", start);
    if (path.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}
