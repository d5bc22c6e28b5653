#pragma once
// The work of each batch file operation, run on the batch's own thread: walk
// the items, call the file operations, build the JSON answer. Each worker
// records only the failed items and keeps the code and message of the last
// failure; a failed item never stops the batch.
#include <cjson/cJSON.h>

#include <string>

#include "core/op_result.h"

// items: {source: target, ...}; options: "need_override", "src_base_path", "dst_base_path".
cJSON* do_vemo_file_batch_copy(const cJSON* items, const cJSON* options);
// items: [path, ...]; options: "check_size", "base_path".
cJSON* do_vemo_file_batch_info(const cJSON* items, const cJSON* options);
// items: [path, ...]; options: the base path as a JSON string, or null.
cJSON* do_vemo_file_batch_md5(const cJSON* items, const cJSON* options);
// items: [path, ...]; options: "base_path".
cJSON* do_vemo_file_batch_remove(const cJSON* items, const cJSON* options);
// items: {source: target, ...}; options: "src_base_path", "dst_base_path".
cJSON* do_vemo_file_batch_rename(const cJSON* items, const cJSON* options);
// items: unused; options: "dir_path", "is_recursive".
cJSON* do_vemo_file_list_dir(const cJSON* items, const cJSON* options);

// Appends {"path": <relative to root>, "is_dir": bool} to data for every
// entry of folder, each folder before its contents when recursive (folder
// links are listed but not entered).
OpResult vemo_list_dir_w(const std::wstring& folder, const std::wstring& root, bool recursive, cJSON* data);
