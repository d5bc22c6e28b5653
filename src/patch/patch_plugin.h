#pragma once
/* What the patch front end requires of the patch plug-in
   (vendors\hpatchz\hpatchz.dll), and what it hands to it. Plain C, so that a
   plug-in built by any compiler can implement it; both exports use the C
   calling convention and are looked up by name.

   Every path is UTF-8 (it may carry the "\\?\" prefix of long paths). The
   plug-in owns nothing it is given and gives nothing to be freed. Both
   exports run on a worker thread of the host; several may run at once. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Progress of a folder patch: done of total files; the two words are the
   context's own, handed back unchanged. May be called from the thread that
   runs vemosdk_patch_dir. */
typedef void (*VemoPatchProgressFn)(int done, int total, uint32_t id_low, uint32_t id_high);

/* The host's progress context for one folder patch: the request's callback
   id as two 32-bit words, and the function to report progress to. */
typedef struct VemoPatchProgress {
  uint32_t id_low;
  uint32_t id_high;
  VemoPatchProgressFn progress;
} VemoPatchProgress;

/* Writes new_file from old_file and patch_file; 0 on success. */
typedef int (*VemoPatchFileFn)(const char* old_file, const char* patch_file, const char* new_file);
/* Applies a folder patch; the result goes to Lua unchanged. */
typedef int (*VemoPatchDirFn)(const char* old_dir, const char* res_pkg_dir, const char* patch_file,
                              const char* new_dir, VemoPatchProgress* progress);

#define VEMO_PATCH_FILE_EXPORT "vemosdk_patch_file"
#define VEMO_PATCH_DIR_EXPORT "vemosdk_patch_dir"

#ifdef __cplusplus
}
#endif
