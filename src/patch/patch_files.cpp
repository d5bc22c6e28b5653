// do_vemo_patch_files: every file of the request in order, each patched by
// the plug-in and checked against its MD5; a file that fails in any way is
// listed and the others go on. One answer at the end, on every path.
#include "patch/patch.h"

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/md5.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "patch/patch_answer.h"
#include "patch/patch_plugin.h"
#include "patch/patch_plugin_module.h"
#include "patch/patch_request.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <thread>

namespace {

const char kRequest[] = "vemosdk_patch_files";

std::string long_utf8(const std::string& path) { return wstring_to_utf8(to_long_path(path)); }

std::string md5_hex_of(const std::string& path) {
  unsigned char digest[16];
  if (md5_of_file(to_long_path(path), digest) != FileDigestStatus::kOk) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

// The new file's full path, with backslashes only.
std::string new_file_path(const PatchFilesRequest& request, size_t j) {
  std::string path = patch_entry_path(request.new_dir, request.new_files[j]);
  std::replace(path.begin(), path.end(), '/', '\\');
  return vemo_get_full_path(path);
}

// Steps of one file up to the plug-in's result; -1 when anything fails.
int run_plugin(HMODULE plugin, const PatchFilesRequest& request, size_t j) {
  std::string old_path = patch_entry_path(request.old_dir, request.old_files[j]);
  if (!file_exists(old_path)) old_path = patch_entry_path(request.res_pkg_dir, request.old_files[j]);
  std::string patch_path = patch_entry_path(request.patch_dir, request.patch_files[j]);
  std::string new_path = new_file_path(request, j);
  vemo_make_parent_dirs(new_path.c_str());
  auto patch_file = reinterpret_cast<VemoPatchFileFn>(reinterpret_cast<void*>(GetProcAddress(plugin, VEMO_PATCH_FILE_EXPORT)));
  if (!patch_file) return -1;
  return patch_file(long_utf8(old_path).c_str(), long_utf8(patch_path).c_str(), long_utf8(new_path).c_str());
}

// One file; true when the plug-in wrote it and its MD5 matches exactly.
bool patch_entry(HMODULE plugin, const PatchFilesRequest& request, size_t j) {
  const std::string& new_text = request.new_files[j];
  if (has_parent_step(new_text)) {
    vemo_debug_printf("%s: refused new file path with \"..\": %s", kRequest, new_text.c_str());
    return false;
  }
  int result = -1;
  try {
    result = run_plugin(plugin, request, j);
  } catch (...) {
    vemo_debug_printf("do_vemo_pathc_files err >> code :%d\n", static_cast<int>(GetLastError()));
    result = -1;
  }
  if (result != 0) {
    vemo_debug_printf("%s: the plug-in gave %d for %s", kRequest, result, new_text.c_str());
    return false;
  }
  return md5_hex_of(new_file_path(request, j)) == request.new_md5s[j];
}

void do_vemo_patch_files(int64_t callback_id, const PatchFilesRequest& request) {
  HMODULE plugin = patch_plugin_module();
  if (!plugin) return answer_patch_failure(callback_id, kRequest, "the patch plug-in cannot be loaded");
  if (!GetProcAddress(plugin, VEMO_PATCH_FILE_EXPORT))
    return answer_patch_failure(callback_id, kRequest, "the patch plug-in has no " VEMO_PATCH_FILE_EXPORT);

  const size_t total = request.old_files.size();
  std::vector<std::string> succeeded;
  std::vector<std::string> failed;
  for (size_t j = 0; j < total; ++j) {
    (patch_entry(plugin, request, j) ? succeeded : failed).push_back(request.new_files[j]);
    const auto id = static_cast<uint64_t>(callback_id);
    vemo_patch_progress_callback(static_cast<int>(j + 1), static_cast<int>(total), static_cast<uint32_t>(id),
                                 static_cast<uint32_t>(id >> 32));
  }
  answer_patch_lists(callback_id, succeeded, failed);
}

void run_guarded(int64_t callback_id, const PatchFilesRequest& request) {
  try {
    do_vemo_patch_files(callback_id, request);
  } catch (const std::exception& error) {  // out of memory before the answer
    answer_patch_failure(callback_id, kRequest, error.what());
  }
}

}  // namespace

void _vemosdk_patch_files(int64_t callback_id, const char* json) {
  try {
    vemo::JsonPtr root(json ? cJSON_Parse(json) : nullptr);
    auto request = std::make_shared<PatchFilesRequest>();
    std::string reason;
    if (!read_patch_request(root.get(), *request, reason)) return answer_patch_failure(callback_id, kRequest, reason);
    std::thread([callback_id, request] { run_guarded(callback_id, *request); }).detach();
  } catch (const std::exception& error) {  // no thread, or no memory for the request
    answer_patch_failure(callback_id, kRequest, error.what());
  }
}
