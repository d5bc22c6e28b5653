#include "http/batch_submit_manager.h"

#include <windows.h>

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/system_clock.h"
#include "core/thread_pool.h"

using vemo::JsonPtr;

namespace {

// A timer that has not fired this long after it was armed went with the pool
// (SDK shutdown cancels pending timers): the next item arms a new one.
constexpr int64_t kLostTimerMs = 2000;

constexpr const char* kEventName = "BATCH_SUBMIT_EVENT";

class ProcessEnvironment final : public DowloadBatchSubmitManager::Environment {
public:
  int64_t nowMs() override { return static_cast<int64_t>(GetTickCount64()); }
  int64_t eventTimeMs() override { return system_clock_ms(); }
  bool startFlushTimer(DowloadBatchSubmitManager& manager, uint32_t delay_ms) override {
    ThreadPoolWrappers::CThreadPool* pool = vemosdk_get_thread_pool();
    return pool && pool->startTimer(onTimer, &manager, delay_ms);
  }
  void post(int64_t batch_id, const std::string& json) override {
    VemoSDK::postLuaEvent(kEventName, batch_id, json.c_str(), nullptr, 0);
  }

private:
  static void CALLBACK onTimer(PTP_CALLBACK_INSTANCE, void* context, PTP_TIMER) {
    static_cast<DowloadBatchSubmitManager*>(context)->checkStartTimerCallback();
  }
};

// Ids are written as integer literals: a double would round ids above 2^53.
void add_id(cJSON* object, const char* key, int64_t id) {
  cJSON_AddRawToObject(object, key, std::to_string(id).c_str());
}

void add_ext_params(cJSON* object, int64_t event_time) {
  cJSON* ext = cJSON_AddObjectToObject(object, "http_ext_params");
  cJSON_AddNumberToObject(ext, "event_time", static_cast<double>(event_time));
}

}  // namespace

DowloadBatchSubmitManager& DowloadBatchSubmitManager::checkInit() {
  // Pool threads may still flush while the process exits: never destroyed.
  static DowloadBatchSubmitManager* manager = [] {
    auto* created = new DowloadBatchSubmitManager(*new ProcessEnvironment);
    vemo_debug_printf("DowloadBatchSubmitManager checkInit end");
    return created;
  }();
  return *manager;
}

DowloadBatchSubmitManager::DowloadBatchSubmitManager(Environment& environment) : env_(environment) {}

void DowloadBatchSubmitManager::addAsyncCallResult(int64_t batch_id, int64_t callback_id, JsonPtr result,
                                                   bool rename_ret, bool success) {
  if (!result) return;
  cJSON* item = result.get();
  cJSON_AddStringToObject(item, "cb_type", "ASYNC_CALL");
  add_id(item, "cbid", callback_id);
  add_id(item, "batchSubmitCbid", batch_id);
  cJSON_AddBoolToObject(item, "rename_ret", rename_ret);
  add_ext_params(item, env_.eventTimeMs());
  {
    std::lock_guard<std::mutex> hold(results_lock_);
    results_.emplace(callback_id, Item{batch_id, std::move(result)});
  }
  if (success) {
    // The result says all a header would have said.
    std::lock_guard<std::mutex> hold(headers_lock_);
    header_events_.erase(callback_id);
  }
  send_next_submit_callback_timer();
}

void DowloadBatchSubmitManager::addHttpEvent(int64_t batch_id, int64_t callback_id, JsonPtr event, bool queued) {
  if (!event) return;
  int64_t now = env_.nowMs();
  cJSON* item = event.get();
  add_id(item, "batchSubmitCbid", batch_id);
  cJSON_AddStringToObject(item, "cb_type", "HTTP_EVENT");
  add_id(item, "cbid", callback_id);
  add_ext_params(item, env_.eventTimeMs());
  if (queued) {
    {
      std::lock_guard<std::mutex> hold(headers_lock_);
      header_events_.emplace(callback_id, Item{batch_id, std::move(event)});
    }
    send_next_submit_callback_timer();
    return;
  }
  {
    std::lock_guard<std::mutex> hold(progress_lock_);
    progress_ = Item{batch_id, std::move(event)};
    has_progress_ = true;
  }
  if (now - last_progress_ms_ <= progress_interval_ms_) return;  // it waits for a flush of another cause
  last_progress_ms_ = now;
  send_next_submit_callback_timer();
}

void DowloadBatchSubmitManager::updateProgressNotifyIntervalMills(int32_t interval_ms) {
  vemo_debug_printf("updateProgressNotifyIntervalMills:%ld", static_cast<long>(interval_ms));
  progress_interval_ms_ = interval_ms;
}

void DowloadBatchSubmitManager::send_next_submit_callback_timer() {
  int64_t now = env_.nowMs();
  bool was_armed = false;
  if (!timer_armed_.compare_exchange_strong(was_armed, true)) {
    if (now - armed_at_ms_ < kLostTimerMs) return;
    vemo_debug_printf("send_next_submit_callback_timer timer lost, arm again");
  }
  armed_at_ms_ = now;
  vemo_debug_printf("send_next_submit_callback_timer send lua timer");
  if (!env_.startFlushTimer(*this, kFlushDelayMs)) {
    // Without a timer nothing would ever be delivered: deliver now.
    vemo_debug_printf("send_next_submit_callback_timer no timer, flush now");
    timer_armed_ = false;
    flush(true);
  }
}

void DowloadBatchSubmitManager::checkStartTimerCallback() { flush(false); }

void DowloadBatchSubmitManager::flush(bool forced) {
  int64_t now = env_.nowMs();
  std::map<int64_t, JsonPtr> lists;  // batch id -> its items
  auto append = [&lists](Item& item) {
    JsonPtr& list = lists[item.batchId];
    if (!list) list.reset(cJSON_CreateArray());
    cJSON_AddItemToArray(list.get(), item.object.release());
  };
  {
    std::unique_lock<std::mutex> hold(results_lock_);
    if (!forced && now - last_flush_ms_ <= static_cast<int64_t>(kFlushDelayMs) &&
        results_.size() < kEarlyFlushResults) {
      hold.unlock();
      timer_armed_ = false;
      vemo_debug_printf("mark_submit_callback_timer_finished finished");
      send_next_submit_callback_timer();
      return;
    }
    vemo_debug_printf("checkStartTimerCallback now begin process batch callback lua");
    last_flush_ms_ = now;
    for (auto& entry : results_) append(entry.second);
    results_.clear();
  }
  {
    std::lock_guard<std::mutex> hold(headers_lock_);
    for (auto& entry : header_events_) append(entry.second);
    header_events_.clear();
  }
  {
    std::lock_guard<std::mutex> hold(progress_lock_);
    if (has_progress_) append(progress_);
    has_progress_ = false;
  }
  if (lists.empty()) vemo_debug_printf("checkStartTimerCallback now begin process, no data");
  for (auto& [batch_id, list] : lists) {
    vemo_debug_printf("batch_submit submit_callback_timer, submit_id:%lld, size:%d", static_cast<long long>(batch_id),
                      cJSON_GetArraySize(list.get()));
    JsonPtr bundle(cJSON_CreateObject());
    cJSON_AddItemToObject(bundle.get(), "list", list.release());
    env_.post(batch_id, vemo::print_json(bundle.get()));
  }
  timer_armed_ = false;
  vemo_debug_printf("mark_submit_callback_timer_finished finished");
  if (hasRemaining()) {
    vemo_debug_printf("batch_submit submit_callback_timer finished and has remain data, add next timer");
    send_next_submit_callback_timer();
  } else {
    vemo_debug_printf("batch_submit submit_callback_timer finished and not has remain data, mark timer processing finished");
  }
}

bool DowloadBatchSubmitManager::hasRemaining() {
  {
    std::lock_guard<std::mutex> hold(results_lock_);
    if (!results_.empty()) return true;
  }
  {
    std::lock_guard<std::mutex> hold(headers_lock_);
    if (!header_events_.empty()) return true;
  }
  std::lock_guard<std::mutex> hold(progress_lock_);
  return has_progress_;
}
