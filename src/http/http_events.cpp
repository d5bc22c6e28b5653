#include "http/http_events.h"

#include <cstdint>

#include "core/lua_task_queue.h"
#include "http/batch_submit_manager.h"
#include "http/download_params.h"

namespace VemoSDKHttp {
namespace {

// The queue copies the texts into the task's one block; without memory
// nothing is posted, since an answer without its text would mislead.
void post_to_queue(const char* name, int64_t id, const std::string& json, const std::string& body,
                   bool keep_latest_only) {
  if (body.size() > static_cast<size_t>(INT32_MAX)) return;
  LuaTaskQueue::getInstance()->postCopy(name, id, json.c_str(), body.empty() ? nullptr : body.data(),
                                        static_cast<int32_t>(body.size()), keep_latest_only);
}

class LuaTaskQueueSink final : public HttpEventSink {
public:
  void postResult(int64_t callback_id, const std::string& json, const std::string& body) override {
    post_to_queue(nullptr, callback_id, json, body, false);
  }
  void postEvent(int64_t callback_id, const std::string& json, bool keep_latest_only) override {
    post_to_queue("HTTP_EVENT", callback_id, json, {}, keep_latest_only);
  }
  void postBatchResult(int64_t batch_id, int64_t callback_id, vemo::JsonPtr result, bool rename_ret,
                       bool success) override {
    DowloadBatchSubmitManager::checkInit().addAsyncCallResult(batch_id, callback_id, std::move(result), rename_ret,
                                                              success);
  }
  void postBatchEvent(int64_t batch_id, int64_t callback_id, vemo::JsonPtr event, bool queued) override {
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
  vemo::JsonPtr result(cJSON_CreateObject());
  cJSON_AddNumberToObject(result.get(), "status", status);
  cJSON_AddStringToObject(result.get(), "msg", msg.c_str());
  if (params.batchSubmitCbid > 0)
    sink.postBatchResult(params.batchSubmitCbid, callback_id, std::move(result), false, false);
  else
    sink.postResult(callback_id, vemo::print_json(result.get()), {});
}

}  // namespace VemoSDKHttp
