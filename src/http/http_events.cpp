#include "http/http_events.h"

#include <cstdlib>
#include <cstring>

#include "core/lua_task_queue.h"
#include "http/batch_submit_manager.h"
#include "http/download_params.h"

namespace VemoSDKHttp {
namespace {

// The queue frees what it is given with free: malloc'd copies.
void* malloc_copy(const std::string& bytes, bool terminate) {
  void* copy = std::malloc(bytes.size() + (terminate ? 1 : 0));
  if (!copy) return nullptr;
  std::memcpy(copy, bytes.data(), bytes.size());
  if (terminate) static_cast<char*>(copy)[bytes.size()] = '\0';
  return copy;
}

void post_to_queue(const char* name, int64_t id, const std::string& json, const std::string& body,
                   bool keep_latest_only) {
  char* text = static_cast<char*>(malloc_copy(json, true));
  if (!text) return;  // out of memory: an answer without its text would mislead
  void* buffer = body.empty() ? nullptr : malloc_copy(body, false);
  int32_t length = buffer ? static_cast<int32_t>(body.size()) : 0;
  LuaTaskQueue::getInstance()->post(name, id, text, buffer, length, keep_latest_only);
}

class LuaTaskQueueSink final : public HttpEventSink {
public:
  void postResult(int64_t callback_id, const std::string& json, const std::string& body) override {
    post_to_queue(nullptr, callback_id, json, body, false);
  }
  void postEvent(int64_t callback_id, const std::string& json, bool keep_latest_only) override {
    post_to_queue("HTTP_EVENT", callback_id, json, {}, keep_latest_only);
  }
  void postBatchResult(int64_t batch_id, int64_t callback_id, JsonPtr result, bool rename_ret,
                       bool success) override {
    DowloadBatchSubmitManager::checkInit().addAsyncCallResult(batch_id, callback_id, std::move(result), rename_ret,
                                                              success);
  }
  void postBatchEvent(int64_t batch_id, int64_t callback_id, JsonPtr event, bool queued) override {
    DowloadBatchSubmitManager::checkInit().addHttpEvent(batch_id, callback_id, std::move(event), queued);
  }
  void updateProgressInterval(int32_t interval_ms) override {
    DowloadBatchSubmitManager::checkInit().updateProgressNotifyIntervalMills(interval_ms);
  }
};

}  // namespace

HttpEventSink& lua_task_queue_sink() {
  static LuaTaskQueueSink sink;
  return sink;
}

}  // namespace VemoSDKHttp

namespace VemoSDKHttp {

void post_download_failure(HttpEventSink& sink, int64_t callback_id, const DownloadParams& params, int status,
                           const std::string& msg) {
  if (callback_id == 0) return;
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddNumberToObject(result.get(), "status", status);
  cJSON_AddStringToObject(result.get(), "msg", msg.c_str());
  if (params.batchSubmitCbid > 0)
    sink.postBatchResult(params.batchSubmitCbid, callback_id, std::move(result), false, false);
  else
    sink.postResult(callback_id, print_json(result.get()), {});
}

}  // namespace VemoSDKHttp
