#include "http/http_events.h"

#include "http/http_deps.h"

namespace VemoSDKHttp {
namespace {

class LuaTaskQueueSink final : public HttpEventSink {
public:
  void postResult(int64_t callback_id, const std::string& json, const std::string& body) override {
    post_async_call(callback_id, json, body);
  }
  void postEvent(int64_t callback_id, const std::string& json, bool keep_latest_only) override {
    post_lua_event("HTTP_EVENT", callback_id, json, keep_latest_only);
  }
  // TODO(batch grouping): until the batch manager bundles these into
  // "BATCH_SUBMIT_EVENT"s, each item reaches Lua under its own id.
  void postBatchResult(int64_t, int64_t callback_id, JsonPtr result, bool, bool) override {
    post_async_call(callback_id, print_json(result.get()), {});
  }
  void postBatchEvent(int64_t, int64_t callback_id, JsonPtr event, bool queued) override {
    post_lua_event("HTTP_EVENT", callback_id, print_json(event.get()), !queued);
  }
};

}  // namespace

HttpEventSink& lua_task_queue_sink() {
  static LuaTaskQueueSink sink;
  return sink;
}

}  // namespace VemoSDKHttp
