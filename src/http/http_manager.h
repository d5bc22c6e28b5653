#pragma once
// HttpManager: the process-wide owner of the SDK's downloads. It keeps the
// settings, the pending queue with its priorities and the set of running
// downloads, starts downloads up to the allowed number, and finishes them:
// checks, rename and one JSON answer each.
//
// Threads: the Lua thread submits, starts, stops and configures; the download
// thread runs every transfer and its completion; four check threads hash
// arriving files and verify and rename finished ones; the SDK pool applies
// priority changes. Each shared part has its own lock.
#include <cjson/cJSON.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/owners.h"
#include "http/buffer_data.h"
#include "http/cert_pins.h"
#include "http/download_params.h"
#include "http/easy_handle_pool.h"
#include "http/http_events.h"
#include "http/pending_downloads.h"
#include "http/speed_limiter.h"
#include "http/transfer_host.h"

namespace VemoSDKHttp {
class DownloadTaskInfo;
class DownloadThread;
class MemoryRequest;
class WorkerThreads;
}  // namespace VemoSDKHttp

class HttpManager : private VemoSDKHttp::TransferHost {
public:
  // The process's manager, created on first use (the first use is on the UI
  // thread during SDK start-up) and never destroyed. It answers through the
  // Lua task queue.
  static HttpManager* getInstance();

  // The download thread starts at once.
  explicit HttpManager(VemoSDKHttp::HttpEventSink& sink);
  // Lets running checks finish, then stops the download thread; transfers
  // still running are dropped without an answer.
  ~HttpManager();
  HttpManager(const HttpManager&) = delete;
  HttpManager& operator=(const HttpManager&) = delete;

  // Queues one download; nothing starts until the next start-up pass. A task
  // id already waiting or running is refused with 7016008.
  void submitDownload(int64_t callback_id, const std::string& url, vemo::CurlSlist headers,
                      const DownloadParams& params);
  // Starts pending downloads while fewer than the maximum run; the number started.
  int vmsdk_check_submit_download_to_max_count();
  int vmsdk_get_max_downloading_count();
  // Starts the download at the front of the pending queue; false when none waits.
  bool vmsdk_on_complete_download_next();
  // task id -> new priority; applied on the SDK thread pool.
  void vmsdk_update_download_priority(const cJSON* task_priorities);
  void vmsdk_update_download_priority_in_thread(const cJSON* task_priorities);
  // A running download stops at its next progress call; a pending one is not affected.
  void stopTask(int64_t callback_id, const char* task_id);
  // Stops running ones; pending ones are dropped, each answered with 7011001.
  void http_stop_with_task_arr(int64_t callback_id, const cJSON* task_ids);
  void update_download_config(int64_t limit_speed_kb, int64_t read_buffer_size, int64_t max_count,
                              int64_t progress_interval_ms, int64_t extra);

  // Starts a download at once. A request with a Range line resumes its
  // file: a HEAD pre-check runs first and the download follows. False when
  // it failed at once (its answer is posted).
  bool vmsdk_http_get_file(int64_t callback_id, const std::string& url, vemo::CurlSlist headers,
                           bool no_host_check, const DownloadParams& params);

  // A download that cannot be made as described (a text too long for its
  // field, no task id, a task id already waiting): answered at once with
  // 7016008 and the reason, through its batch when it belongs to one.
  void rejectDownload(int64_t callback_id, const DownloadParams& params, const std::string& msg);

  // --- Requests answered in memory: {"headers","status"} and the body as
  // the answer's buffer; an HTTP error status is an answer, not a failure.
  void httpGet(int64_t callback_id, const std::string& url, vemo::CurlSlist headers, bool no_host_check);
  // With "safe_formdata" in the options JSON the request is a multipart
  // upload built from it; otherwise the body is sent as it is.
  void httpPost(int64_t callback_id, const std::string& url, std::string_view body, vemo::CurlSlist headers,
                bool no_host_check, const char* options_json);
  // One file as a multipart form, on the caller's thread (up to 20 s):
  // libcurl's result (0 success), or kUploadNoHandle.
  static constexpr int kUploadNoHandle = -99;
  int uploadFileSync(const std::string& url, const std::string& path, std::string& response);
  // Bytes as a one-file form, sent by the download thread; nobody is answered.
  void uploadAsync(const std::string& url, const std::string& file_name, std::string_view data);
  // GET and POST requests made after this carry the pin (base64 SHA-256 of
  // a server's public key); a pin is never removed.
  void addCertPin(const std::string& pin) { pins_.add(pin); }
  std::string pinnedKeys() const { return pins_.get_curl_format_pubkey(); }

  void mark_task_downloading(const std::string& task_id, bool state);
  bool isTaskRunning(const std::string& task_id) const override;
  size_t runningCount() const;
  size_t pendingCount() const;

  void setVerbose(int verbose) { verbose_ = verbose; }
  bool verbose() const { return verbose_ != 0; }
  void setRevocationCheck(bool on) { revocation_check_ = on; }
  int64_t limitSpeedKb() const { return limit_speed_kb_; }
  int32_t readBufferSize() const { return read_buffer_size_; }
  int maxConcurrentDownloads() const { return max_concurrent_; }
  int progressIntervalMs() const { return progress_interval_ms_; }
  int64_t configExtra() const { return config_extra_; }
  VemoLimitHttpSpeed& speedLimiter() override { return limiter_; }
  // Where finished files are hashed and checked, off the download thread
  // (tests hold its threads to play a slow CPU).
  VemoSDKHttp::WorkerThreads& checkWorkers() override;

private:
  // --- What a transfer asks of its manager.
  VemoSDKHttp::TransferSettings transferSettings() const override;
  bool networkAllowsTransfer(int64_t last_data_ms, int64_t now_ms) override;
  VemoSDKHttp::HttpEventSink& sink() override { return sink_; }
  void wakeTransfers() override;
  void keepHandle(vemo::CurlEasy easy) override;
  bool continueTransfer(std::shared_ptr<VemoSDKHttp::DownloadTaskInfo> transfer) override;
  // After a download is over: its slot goes to the next pending download,
  // unless the network is down.
  void releaseSlot(const std::string& task_id, int status) override;

  // The HEAD pre-check of a resumed download; its transfer goes on with the
  // download once it has judged the answer.
  bool vmsdk_http_head_callback(std::shared_ptr<VemoSDKHttp::DownloadTaskInfo> transfer);
  // A handle from the pool, the file and the options, then the download thread.
  bool startTransfer(std::shared_ptr<VemoSDKHttp::DownloadTaskInfo> transfer);
  // A record with the options every in-memory request shares; null (after
  // answering the caller) when no handle can be made.
  std::unique_ptr<VemoSDKHttp::MemoryRequest> newMemoryRequest(int64_t callback_id, const std::string& url,
                                                               vemo::CurlSlist headers, bool no_host_check);
  void setMemoryRequestBasics(VemoSDKHttp::MemoryRequest& request, const std::string& url);
  void postRequestFailure(int64_t callback_id, int status, const std::string& msg);

  void postSucc(int64_t callback_id);
  void resetNetworkCheck();
  void runOnPool(std::function<void()> job);

  VemoSDKHttp::HttpEventSink& sink_;

  // Settings: written by the Lua thread, read by the others.
  const int32_t default_buffer_size_ = 8192;
  const int32_t connect_timeout_ms_ = 10000;
  const int32_t request_timeout_ms_ = 60000;
  const int32_t low_speed_limit_ = 2000;
  const int32_t low_speed_time_ = 20;
  const int32_t idle_handle_age_s_ = 120;
  const int32_t pool_size_ = 10;
  std::atomic<int> verbose_{0};
  std::atomic<bool> revocation_check_{false};
  std::atomic<int64_t> limit_speed_kb_{0};
  std::atomic<int32_t> read_buffer_size_{0};
  std::atomic<int32_t> max_concurrent_{0};
  std::atomic<int32_t> progress_interval_ms_{0};
  std::atomic<int64_t> config_extra_{0};

  // Network state as last asked (download thread), reset when a download starts.
  std::atomic<int64_t> network_check_ms_{0};
  std::atomic<bool> network_connected_{true};

  VemoLimitHttpSpeed limiter_;
  VemoSDKHttp::CertPins pins_;
  VemoSDKHttp::EasyHandlePool handle_pool_;

  mutable std::mutex pending_lock_;
  VemoSDKHttp::PendingDownloads pending_;
  std::mutex start_lock_;  // one start-up pass at a time, so the count holds

  mutable std::mutex running_lock_;
  std::unordered_set<std::string> runningState;

  std::mutex start_gate_;  // a start checks shutting_down_ and pushes under it
  std::atomic<bool> shutting_down_{false};
  std::mutex pool_jobs_lock_;
  std::condition_variable pool_jobs_done_;
  int pool_jobs_ = 0;

  // Stopped in this order by the destructor: transfers first, then checks.
  std::unique_ptr<VemoSDKHttp::WorkerThreads> check_workers_;
  // Transfers run on a few threads, each around its own multi handle: every
  // receive and every write is a system call, and on one thread those of ten
  // small downloads queue behind each other. A thread is added only when the
  // ones there each carry kTransfersPerThread transfers.
  static constexpr size_t kTransferThreads = 4;
  static constexpr size_t kTransfersPerThread = 2;
  void pushTransfer(std::shared_ptr<VemoSDKHttp::BufferData> request);
  std::mutex download_thread_lock_;  // guards the threads for pushes and wakes
  std::vector<std::unique_ptr<VemoSDKHttp::DownloadThread>> download_threads_;
};
