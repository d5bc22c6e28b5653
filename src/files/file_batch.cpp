// Starting the batch workers: one thread per batch, with its own copies of
// the items and options; the thread posts the answer and ends.
#include "files/file_batch.h"

#include <windows.h>

#include <memory>
#include <string>

#include "core/lua_posts.h"
#include "core/op_result.h"
#include "core/owners.h"
#include "files/file_batch_workers.h"

namespace {

using vemo::JsonPtr;

using BatchWorker = cJSON* (*)(const cJSON* items, const cJSON* options);

// Owned by the batch's thread from the moment it starts.
struct FileBatchParams {
  int64_t callback_id = 0;
  BatchWorker worker = nullptr;
  JsonPtr items;
  JsonPtr options;
};

DWORD WINAPI batch_thread(void* argument) {
  std::unique_ptr<FileBatchParams> params(static_cast<FileBatchParams*>(argument));
  JsonPtr answer(params->worker(params->items.get(), params->options.get()));
  int64_t callback_id = params->callback_id;
  params.reset();  // the copies go before the answer does
  post_file_batch_answer(callback_id, answer.get());
  return 0;
}

JsonPtr copy_of(const cJSON* json) { return JsonPtr(json ? cJSON_Duplicate(json, true) : nullptr); }

void start_batch(BatchWorker worker, JsonPtr items, JsonPtr options, int64_t callback_id, bool highest_priority) {
  auto params = std::make_unique<FileBatchParams>();
  params->callback_id = callback_id;
  params->worker = worker;
  params->items = std::move(items);
  params->options = std::move(options);
  vemo::UniqueHandle thread(CreateThread(nullptr, 0, batch_thread, params.get(), CREATE_SUSPENDED, nullptr));
  if (!thread) {
    // The callback is still answered once, with the reason.
    OpResult failure = make_last_error_result();
    JsonPtr answer(cJSON_CreateObject());
    cJSON_AddBoolToObject(answer.get(), "succ", false);
    cJSON_AddNumberToObject(answer.get(), "code", failure.code);
    cJSON_AddStringToObject(answer.get(), "msg", failure.message.c_str());
    post_file_batch_answer(callback_id, answer.get());
    return;
  }
  params.release();  // the thread owns them now
  if (highest_priority) SetThreadPriority(thread.get(), THREAD_PRIORITY_HIGHEST);
  ResumeThread(thread.get());
}

}  // namespace

void post_file_batch_answer(int64_t callback_id, const cJSON* answer) {
  vemo::JsonText text(answer ? cJSON_PrintUnformatted(answer) : nullptr);
  VemoSDK::postAsyncResult(callback_id, text ? text.get() : R"({"succ":false,"code":8,"msg":"out of memory"})");
}

void vemo_file_batch_copy(const cJSON* files, const cJSON* options, bool need_override, int64_t callback_id) {
  JsonPtr options_copy = cJSON_IsObject(options) ? copy_of(options) : JsonPtr(cJSON_CreateObject());
  cJSON_DeleteItemFromObjectCaseSensitive(options_copy.get(), "need_override");
  cJSON_AddBoolToObject(options_copy.get(), "need_override", need_override);
  start_batch(do_vemo_file_batch_copy, copy_of(files), std::move(options_copy), callback_id, true);
}

void vemo_file_batch_info(const cJSON* paths, const cJSON* options, int64_t callback_id) {
  start_batch(do_vemo_file_batch_info, copy_of(paths), copy_of(options), callback_id, true);
}

void vemo_file_batch_md5(const cJSON* paths, int64_t callback_id, const char* base_path) {
  JsonPtr base(base_path ? cJSON_CreateString(base_path) : nullptr);
  start_batch(do_vemo_file_batch_md5, copy_of(paths), std::move(base), callback_id, true);
}

void vemo_file_batch_remove(const cJSON* paths, const cJSON* options, int64_t callback_id) {
  start_batch(do_vemo_file_batch_remove, copy_of(paths), copy_of(options), callback_id, true);
}

void vemo_file_batch_rename(const cJSON* files, const cJSON* options, int64_t callback_id) {
  start_batch(do_vemo_file_batch_rename, copy_of(files), copy_of(options), callback_id, true);
}

void vemo_file_list_dir(const char* folder, bool recursive, int64_t callback_id) {
  JsonPtr options(cJSON_CreateObject());
  cJSON_AddStringToObject(options.get(), "dir_path", folder ? folder : "");
  cJSON_AddBoolToObject(options.get(), "is_recursive", recursive);
  start_batch(do_vemo_file_list_dir, nullptr, std::move(options), callback_id, false);
}
