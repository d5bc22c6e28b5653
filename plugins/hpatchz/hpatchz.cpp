// The sample patch plug-in: the two exports the patch front end looks up.
// Nothing here throws out of an export: a failure is a result code.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "bsdiff_patch.h"
#include "folder_manifest.h"
#include "patch/patch_plugin.h"
#include "plugin_files.h"

namespace {

constexpr int kFileError = -1;
constexpr int kBadPatch = -2;

std::string join(const std::string& folder, const std::string& relative) {
  if (folder.empty()) return relative;
  char last = folder.back();
  return (last == '\\' || last == '/') ? folder + relative : folder + "\\" + relative;
}

std::string folder_of(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Creates the folders along a file's path ("\\?\" prefixes and drives stay).
void make_parent_folders(const std::string& file) {
  std::wstring path = to_wide(folder_of(file));
  for (size_t i = 0; i < path.size(); ++i) {
    if ((path[i] == L'\\' || path[i] == L'/') && i > 0 && path[i - 1] != L':' && path[i - 1] != L'\\' &&
        path[i - 1] != L'?')
      CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
  if (!path.empty()) CreateDirectoryW(path.c_str(), nullptr);
}

int patch_one(const std::string& old_file, const std::string& patch_file, const std::string& new_file) {
  Bytes old_data;
  Bytes patch;
  if (!read_whole_file(old_file, old_data)) {
    std::fprintf(stderr, "hpatchz: cannot read %s\n", old_file.c_str());
    return kFileError;
  }
  if (!read_whole_file(patch_file, patch)) {
    std::fprintf(stderr, "hpatchz: cannot read %s\n", patch_file.c_str());
    return kFileError;
  }
  Bytes new_data;
  std::string reason;
  if (!apply_bsdiff_patch(old_data, patch, new_data, reason)) {
    std::fprintf(stderr, "hpatchz: %s: %s\n", patch_file.c_str(), reason.c_str());
    return kBadPatch;
  }
  if (!write_file_replacing(new_file, new_data)) {
    std::fprintf(stderr, "hpatchz: cannot write %s\n", new_file.c_str());
    return kFileError;
  }
  return 0;
}

int patch_folder(const std::string& old_dir, const std::string& res_pkg_dir, const std::string& manifest_path,
                 const std::string& new_dir, const VemoPatchProgress* progress) {
  Bytes text;
  if (!read_whole_file(manifest_path, text)) {
    std::fprintf(stderr, "hpatchz: cannot read the manifest %s\n", manifest_path.c_str());
    return kFileError;
  }
  std::vector<ManifestEntry> entries;
  int bad_line = 0;
  if (!parse_manifest(std::string(text.begin(), text.end()), entries, bad_line)) {
    std::fprintf(stderr, "hpatchz: %s line %d is not a patch entry\n", manifest_path.c_str(), bad_line);
    return kFileError;
  }
  const std::string patch_dir = folder_of(manifest_path);
  const int total = static_cast<int>(entries.size());
  int failed = 0;
  int done = 0;
  for (const ManifestEntry& entry : entries) {
    std::string old_file = join(old_dir, entry.old_path);
    if (!path_exists(old_file) && !res_pkg_dir.empty()) old_file = join(res_pkg_dir, entry.old_path);
    std::string new_file = join(new_dir, entry.new_path);
    make_parent_folders(new_file);
    if (patch_one(old_file, join(patch_dir, entry.patch_path), new_file) != 0) ++failed;
    ++done;
    if (progress && progress->progress) progress->progress(done, total, progress->id_low, progress->id_high);
  }
  return failed;
}

std::string text_or_empty(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

extern "C" __declspec(dllexport) int vemosdk_patch_file(const char* old_file, const char* patch_file,
                                                        const char* new_file) {
  if (!old_file || !patch_file || !new_file) return kFileError;
  try {
    return patch_one(old_file, patch_file, new_file);
  } catch (const std::exception& error) {  // out of memory for a large file
    std::fprintf(stderr, "hpatchz: %s\n", error.what());
    return kFileError;
  }
}

extern "C" __declspec(dllexport) int vemosdk_patch_dir(const char* old_dir, const char* res_pkg_dir,
                                                       const char* patch_file, const char* new_dir,
                                                       VemoPatchProgress* progress) {
  if (!patch_file || !*patch_file) return kFileError;
  try {
    return patch_folder(text_or_empty(old_dir), text_or_empty(res_pkg_dir), patch_file, text_or_empty(new_dir),
                        progress);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "hpatchz: %s\n", error.what());
    return kFileError;
  }
}
