#pragma once
// The patch front end: file and folder patches through the patch plug-in
// (vendors\hpatchz\hpatchz.dll, patch/patch_plugin.h). Each request runs on
// a thread of its own and answers its callback id exactly once with an
// "ASYNC_CALL" task; progress goes to Lua as "PATCH_EVENT" through the
// latest-event slot. Any thread may start a request.
#include <cstdint>

// Patches the files a JSON request lists ({"options":{...}, "oldFilePaths",
// "newFilePaths", "patchFilePaths", "newFileMd5Array"}).
void _vemosdk_patch_files(int64_t callback_id, const char* json);
// Applies one folder patch; the plug-in's result is the answer's "ret".
void _vemosdk_patch_dir(int64_t callback_id, const char* old_dir, const char* res_pkg_dir, const char* patch_file,
                        const char* new_dir);

// Posts {"completeCount":done,"totalCount":total} as "PATCH_EVENT" for the
// callback id made of the two words.
void vemo_patch_progress_callback(int done, int total, uint32_t id_low, uint32_t id_high);
