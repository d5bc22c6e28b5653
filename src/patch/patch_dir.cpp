// do_vemo_patch_dir: one call of the plug-in's folder patch with a progress
// context for the request; the plug-in's result is the answer.
#include "patch/patch.h"

#include "patch/patch_answer.h"
#include "patch/patch_plugin.h"
#include "patch/patch_plugin_module.h"

#include <windows.h>

#include <exception>
#include <string>
#include <thread>

namespace {

const char kRequest[] = "vemosdk_patch_dir";

struct PatchDirRequest {
  int64_t callback_id;
  std::string old_dir;
  std::string res_pkg_dir;
  std::string patch_file;
  std::string new_dir;
};

void do_vemo_patch_dir(const PatchDirRequest& request) {
  HMODULE plugin = patch_plugin_module();
  if (!plugin) return answer_patch_failure(request.callback_id, kRequest, "the patch plug-in cannot be loaded");
  auto patch_dir = reinterpret_cast<VemoPatchDirFn>(reinterpret_cast<void*>(GetProcAddress(plugin, VEMO_PATCH_DIR_EXPORT)));
  if (!patch_dir)
    return answer_patch_failure(request.callback_id, kRequest, "the patch plug-in has no " VEMO_PATCH_DIR_EXPORT);
  const auto id = static_cast<uint64_t>(request.callback_id);
  VemoPatchProgress progress{static_cast<uint32_t>(id), static_cast<uint32_t>(id >> 32), vemo_patch_progress_callback};
  int result = patch_dir(request.old_dir.c_str(), request.res_pkg_dir.c_str(), request.patch_file.c_str(),
                         request.new_dir.c_str(), &progress);
  answer_patch_result(request.callback_id, result);
}

std::string text_or_empty(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

void _vemosdk_patch_dir(int64_t callback_id, const char* old_dir, const char* res_pkg_dir, const char* patch_file,
                        const char* new_dir) {
  try {
    PatchDirRequest request{callback_id, text_or_empty(old_dir), text_or_empty(res_pkg_dir),
                            text_or_empty(patch_file), text_or_empty(new_dir)};
    std::thread([request] {
      try {
        do_vemo_patch_dir(request);
      } catch (const std::exception& error) {
        answer_patch_failure(request.callback_id, kRequest, error.what());
      }
    }).detach();
  } catch (const std::exception& error) {
    answer_patch_failure(callback_id, kRequest, error.what());
  }
}
