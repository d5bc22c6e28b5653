// HttpManager: settings, the pending queue, the running set, start-up up to
// the allowed number, priorities, stops and the download settings.
#include "http/http_manager.h"

#include <algorithm>
#include <vector>

#include "core/debug_log.h"
#include "core/thread_pool.h"
#include "http/download_thread.h"
#include "http/http_headers.h"
#include "http/http_result_code.h"
#include "http/update_priority_task.h"
#include "http/worker_threads.h"

using vemo::CurlSlist;
using vemo::JsonPtr;

namespace {

// Threads that check and rename finished files: enough to overlap the file
// system calls of many small downloads, few enough to leave the disk to the
// downloads themselves.
constexpr size_t kCheckThreads = 4;

}  // namespace

HttpManager* HttpManager::getInstance() {
  static HttpManager* instance = new HttpManager(VemoSDKHttp::lua_task_queue_sink());
  return instance;
}

HttpManager::HttpManager(VemoSDKHttp::HttpEventSink& sink)
    : sink_(sink), handle_pool_(static_cast<size_t>(pool_size_), int64_t{idle_handle_age_s_} * 1000) {
  vemo_debug_printf("HttpManager() Constructor");
  curl_global_init(CURL_GLOBAL_ALL);
  check_workers_ = std::make_unique<VemoSDKHttp::WorkerThreads>(kCheckThreads);
  download_threads_.push_back(std::make_unique<VemoSDKHttp::DownloadThread>());
}

HttpManager::~HttpManager() {
  {
    std::lock_guard<std::mutex> gate(start_gate_);
    shutting_down_ = true;  // from here on nothing starts
  }
  {
    std::unique_lock<std::mutex> hold(pool_jobs_lock_);
    pool_jobs_done_.wait(hold, [this] { return pool_jobs_ == 0; });
  }
  std::vector<std::unique_ptr<VemoSDKHttp::DownloadThread>> transfers;
  {
    std::lock_guard<std::mutex> hold(download_thread_lock_);
    transfers.swap(download_threads_);
  }
  transfers.clear();
  check_workers_.reset();
  curl_global_cleanup();
}

void HttpManager::submitDownload(int64_t callback_id, const std::string& url, CurlSlist headers,
                                 const DownloadParams& params) {
  auto submission = std::make_unique<SubmitParams>();
  submission->params = params;
  submission->callbackId = callback_id;
  submission->url = url;
  submission->headers = std::move(headers);
  if (isTaskRunning(VemoSDKHttp::param_text(params.taskId))) {
    // Both would write one file, and the first one's end would stop the second.
    vemo_debug_printf("submit download skip, task already running:%s", VemoSDKHttp::param_text(params.taskId).c_str());
    rejectDownload(callback_id, params, "task id already running");
    return;
  }
  bool queued = false;
  {
    std::lock_guard<std::mutex> hold(pending_lock_);
    queued = pending_.submit(std::move(submission));
  }
  if (!queued) {
    // The first record keeps its place; the second caller still gets its answer.
    vemo_debug_printf("submit download skip, task already pending:%s", VemoSDKHttp::param_text(params.taskId).c_str());
    rejectDownload(callback_id, params, "task id already pending");
  }
}

void HttpManager::rejectDownload(int64_t callback_id, const DownloadParams& params, const std::string& msg) {
  VemoSDKHttp::post_download_failure(sink_, callback_id, params, VemoSDKHttp::kStatusBadParameter, msg);
}

int HttpManager::vmsdk_get_max_downloading_count() {
  int count = limit_speed_kb_ > 0 ? 5 : 10;
  if (max_concurrent_ > 0) {
    count = max_concurrent_;
    vemo_debug_printf("vmsdk_get_max_downloading_count lua already set thread count:%d", count);
  } else {
    vemo_debug_printf("vmsdk_get_max_downloading_count lua not set thread count, use default:%d", count);
  }
  bool high_front = false;
  {
    std::lock_guard<std::mutex> hold(pending_lock_);
    high_front = pending_.frontIsHighPriority();
  }
  if (high_front) {
    count += 5;
    vemo_debug_printf("vmsdk_get_max_downloading_count has high priority task thread count:%d", count);
  }
  vemo_debug_printf("vmsdk_get_max_downloading_count:%d", count);
  return count;
}

int HttpManager::vmsdk_check_submit_download_to_max_count() {
  std::lock_guard<std::mutex> serial(start_lock_);
  int started = 0;
  while (!shutting_down_ && static_cast<int>(runningCount()) < vmsdk_get_max_downloading_count() &&
         vmsdk_on_complete_download_next())
    ++started;
  vemo_debug_printf("vmsdk_check_submit_download_to_max_count count:%d", started);
  return started;
}

bool HttpManager::vmsdk_on_complete_download_next() {
  std::unique_ptr<SubmitParams> next;
  {
    std::lock_guard<std::mutex> hold(pending_lock_);
    next = pending_.takeFront();
  }
  if (!next) return false;
  vmsdk_http_get_file(next->callbackId, next->url, std::move(next->headers), false, next->params);
  return true;
}

void HttpManager::vmsdk_update_download_priority(const cJSON* task_priorities) {
  int members = cJSON_GetArraySize(task_priorities);
  vemo_debug_printf("vmsdk_update_download_priority:%d", members);
  auto task = std::make_shared<UpdatePriorityTask>(*this, task_priorities);
  runOnPool([task] { task->run(); });
}

void HttpManager::vmsdk_update_download_priority_in_thread(const cJSON* task_priorities) {
  vemo_debug_printf("vmsdk_update_download_priority_in_thread received, size:%d", cJSON_GetArraySize(task_priorities));
  int raised = 0;
  for (const cJSON* item = task_priorities ? task_priorities->child : nullptr; item; item = item->next) {
    if (!item->string || !cJSON_IsNumber(item)) continue;
    std::lock_guard<std::mutex> hold(pending_lock_);
    // valueint is the number saturated to the int range: a priority from a
    // script may be any JSON number.
    if (pending_.raisePriority(item->string, static_cast<int32_t>(item->valueint)))
      ++raised;
    else if (!pending_.contains(item->string))
      vemo_debug_printf("updateDownloadPriority skip, no task in cache, it's probably already downloading:%s",
                        item->string);
  }
  if (raised > 0) {
    vemo_debug_printf("updateDownloadPriority finished, now begin download next, update count:%d", raised);
    vmsdk_check_submit_download_to_max_count();
  } else {
    vemo_debug_printf("updateDownloadPriority finished, no update skip check download");
  }
}

void HttpManager::stopTask(int64_t callback_id, const char* task_id) {
  if (!task_id || !*task_id) {
    JsonPtr answer(cJSON_CreateObject());
    cJSON_AddBoolToObject(answer.get(), "succ", false);
    cJSON_AddStringToObject(answer.get(), "msg", "task id is empty");
    if (callback_id != 0) sink_.postResult(callback_id, vemo::print_json(answer.get()), {});
    return;
  }
  {
    std::lock_guard<std::mutex> hold(running_lock_);
    runningState.erase(task_id);
  }
  postSucc(callback_id);
}

void HttpManager::http_stop_with_task_arr(int64_t callback_id, const cJSON* task_ids) {
  std::vector<std::unique_ptr<SubmitParams>> dropped;
  {
    std::lock_guard<std::mutex> hold(pending_lock_);
    vemo_debug_printf(
        "http_stop_with_task_arr before, queue size:%ld, stop arr size:%ld, cache size:%ld, runningState size:%ld",
        static_cast<long>(pending_.queueSize()), static_cast<long>(cJSON_GetArraySize(task_ids)),
        static_cast<long>(pending_.cacheSize()), static_cast<long>(runningCount()));
    resetNetworkCheck();
    for (const cJSON* item = task_ids ? task_ids->child : nullptr; item; item = item->next) {
      if (!cJSON_IsString(item)) continue;
      bool was_running = false;
      {
        std::lock_guard<std::mutex> running(running_lock_);
        was_running = runningState.erase(item->valuestring) != 0;
      }
      if (was_running) continue;
      if (auto waiting = pending_.remove(item->valuestring)) dropped.push_back(std::move(waiting));
    }
    vemo_debug_printf(
        "http_stop_with_task_arr after, queue size:%ld, stop arr size:%ld, cache size:%ld, runningState size:%ld",
        static_cast<long>(pending_.queueSize()), static_cast<long>(cJSON_GetArraySize(task_ids)),
        static_cast<long>(pending_.cacheSize()), static_cast<long>(runningCount()));
  }
  // A dropped item is answered as a stopped running one is: its caller
  // waits for one answer.
  for (const auto& waiting : dropped)
    VemoSDKHttp::post_download_failure(sink_, waiting->callbackId, waiting->params, VemoSDKHttp::kStatusStopped,
                                       "stopped before it started");
  postSucc(callback_id);
}

void HttpManager::update_download_config(int64_t limit_speed_kb, int64_t read_buffer_size, int64_t max_count,
                                         int64_t progress_interval_ms, int64_t extra) {
  limit_speed_kb_ = limit_speed_kb;
  read_buffer_size_ = static_cast<int32_t>(std::clamp<int64_t>(read_buffer_size, 0, INT32_MAX));
  max_concurrent_ = static_cast<int32_t>(std::clamp<int64_t>(max_count, INT32_MIN, INT32_MAX));
  progress_interval_ms_ = static_cast<int32_t>(std::clamp<int64_t>(progress_interval_ms, INT32_MIN, INT32_MAX));
  config_extra_ = extra;
  int64_t buffer_floor = read_buffer_size > 0 ? read_buffer_size : 16384;
  int64_t rate = 0;
  if (limit_speed_kb > 0) {
    rate = std::max(std::min<int64_t>(limit_speed_kb, INT64_MAX / 1024) * 1024, buffer_floor);
    vemo_debug_printf("update_download_config limit speed, speed_value:%lld, expect_speed:%lld, buffer_size:%lld \n",
                      static_cast<long long>(limit_speed_kb), static_cast<long long>(rate),
                      static_cast<long long>(buffer_floor));
  } else if (limit_speed_kb < 0) {
    rate = -1;
  }
  limiter_.updateBandwidth(rate, buffer_floor);
  if (progress_interval_ms > 0) sink_.updateProgressInterval(progress_interval_ms_);
  vemo_debug_printf("update_download_config result, after, limit_speed:%lld, buffer_size:%lld\n",
                    static_cast<long long>(limit_speed_kb), static_cast<long long>(buffer_floor));
}

void HttpManager::mark_task_downloading(const std::string& task_id, bool state) {
  std::lock_guard<std::mutex> hold(running_lock_);
  if (state) {
    runningState.insert(task_id);
  } else if (runningState.erase(task_id) == 0) {
    vemo_debug_printf("mark_task_downloading skip, for state not exists");
  }
}

bool HttpManager::isTaskRunning(const std::string& task_id) const {
  std::lock_guard<std::mutex> hold(running_lock_);
  return runningState.count(task_id) != 0;
}

size_t HttpManager::runningCount() const {
  std::lock_guard<std::mutex> hold(running_lock_);
  return runningState.size();
}

size_t HttpManager::pendingCount() const {
  std::lock_guard<std::mutex> hold(pending_lock_);
  return pending_.queueSize();
}

void HttpManager::releaseSlot(const std::string& task_id, int status) {
  mark_task_downloading(task_id, false);
  // A download that the network took down leaves the queue waiting: the
  // scripts start it again when the network is back.
  if (status != VemoSDKHttp::kStatusNetworkDown) vmsdk_check_submit_download_to_max_count();
}

void HttpManager::postSucc(int64_t callback_id) {
  if (callback_id != 0) sink_.postResult(callback_id, "{\"succ\":true}", {});
}

void HttpManager::resetNetworkCheck() {
  network_check_ms_ = 0;
  network_connected_ = true;
}

void HttpManager::wakeTransfers() {
  std::lock_guard<std::mutex> hold(download_thread_lock_);
  for (auto& thread : download_threads_) thread->wake();
}

void HttpManager::pushTransfer(std::shared_ptr<VemoSDKHttp::BufferData> request) {
  std::lock_guard<std::mutex> hold(download_thread_lock_);
  if (download_threads_.empty()) return;  // shut down: nothing runs any more
  VemoSDKHttp::DownloadThread* lightest = nullptr;
  for (auto& thread : download_threads_)
    if (!lightest || thread->load() < lightest->load()) lightest = thread.get();
  if (lightest->load() >= kTransfersPerThread && download_threads_.size() < kTransferThreads) {
    download_threads_.push_back(std::make_unique<VemoSDKHttp::DownloadThread>());
    lightest = download_threads_.back().get();
  }
  lightest->push(std::move(request));
}

void HttpManager::runOnPool(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> hold(pool_jobs_lock_);
    ++pool_jobs_;
  }
  auto counted = [this, job = std::move(job)] {
    job();
    std::lock_guard<std::mutex> hold(pool_jobs_lock_);
    if (--pool_jobs_ == 0) pool_jobs_done_.notify_all();
  };
  ThreadPoolWrappers::CThreadPool* pool = vemosdk_get_thread_pool();
  if (!pool || !pool->submit(counted)) counted();
}
