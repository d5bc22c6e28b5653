#pragma once
// Where the results and events of requests go. The download thread and the
// check worker call it; HttpManager's default hands everything to the Lua
// task queue, and a batch download's items to the batch submit manager.
#include <cstdint>
#include <string>

#include "core/owners.h"

namespace VemoSDKHttp {

class HttpEventSink {
public:
  virtual ~HttpEventSink() = default;
  // The one final answer of a request outside a batch: an "ASYNC_CALL" task
  // with the JSON text and the body bytes (empty: none).
  virtual void postResult(int64_t callback_id, const std::string& json, const std::string& body) = 0;
  // An "HTTP_EVENT" of a request outside a batch; progress reports keep only
  // the newest one waiting.
  virtual void postEvent(int64_t callback_id, const std::string& json, bool keep_latest_only) = 0;
  // The final answer of a download of a batch.
  virtual void postBatchResult(int64_t batch_id, int64_t callback_id, vemo::JsonPtr result, bool rename_ret,
                               bool success) = 0;
  // A header event (queued) or a progress event (only the newest counts) of a
  // download of a batch.
  virtual void postBatchEvent(int64_t batch_id, int64_t callback_id, vemo::JsonPtr event, bool queued) = 0;
  // How often a progress event of the batches may reach Lua.
  virtual void updateProgressInterval(int32_t interval_ms) { (void)interval_ms; }
};

// The process's sink: the Lua task queue.
HttpEventSink& lua_task_queue_sink();

}  // namespace VemoSDKHttp

struct DownloadParams;

namespace VemoSDKHttp {

// The answer of a download that failed before its transfer ran:
// {"status":<status>,"msg":<msg>}, through its batch when it belongs to one;
// nothing when nobody waits (callback id 0).
void post_download_failure(HttpEventSink& sink, int64_t callback_id, const DownloadParams& params, int status,
                           const std::string& msg);

}  // namespace VemoSDKHttp
