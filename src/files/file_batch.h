#pragma once
// Batch file operations for the scripts: each call starts a thread of its own
// and returns at once; the thread answers exactly once with an "ASYNC_CALL"
// task for the callback id, carrying the operation's JSON result. The item
// lists and options are copied: the caller keeps its own.
#include <cjson/cJSON.h>

#include <cstdint>

// files: {source: target}; the copy's options get "need_override" written in.
void vemo_file_batch_copy(const cJSON* files, const cJSON* options, bool need_override, int64_t callback_id);
// paths: [path]; options "check_size", "base_path".
void vemo_file_batch_info(const cJSON* paths, const cJSON* options, int64_t callback_id);
// paths: [path] below base_path (null or "" for paths as they are).
void vemo_file_batch_md5(const cJSON* paths, int64_t callback_id, const char* base_path);
// paths: [path]; options "base_path".
void vemo_file_batch_remove(const cJSON* paths, const cJSON* options, int64_t callback_id);
// files: {source: target}; options "src_base_path", "dst_base_path".
void vemo_file_batch_rename(const cJSON* files, const cJSON* options, int64_t callback_id);
// Lists a folder: {"data": [{"path", "is_dir"}, ...]} or {"code", "msg"}.
void vemo_file_list_dir(const char* folder, bool recursive, int64_t callback_id);

// Answers a batch's callback id with the printed answer (an out-of-memory
// failure when it cannot be printed). Any thread.
void post_file_batch_answer(int64_t callback_id, const cJSON* answer);
