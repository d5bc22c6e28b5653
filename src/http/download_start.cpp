// HttpManager: starting downloads (the one place that decides between a
// HEAD pre-check and the download itself) and what a transfer asks of it.
#include <algorithm>
#include <cstdio>

#include "core/debug_log.h"
#include "http/download_callbacks.h"
#include "http/download_task_info.h"
#include "http/download_thread.h"
#include "http/http_manager.h"
#include "http/http_result_code.h"
#include "http/network_state.h"
#include "http/worker_threads.h"

using vemo::CurlSlist;
using VemoSDKHttp::DownloadTaskInfo;

namespace {

constexpr long kUnlimitedBufferSize = 1048576;
constexpr int64_t kNetworkCheckMs = 2000;
constexpr int64_t kNetworkRecheckOfflineMs = 200;
constexpr int64_t kSilenceBeforeNetworkAbortMs = 2000;

}  // namespace

bool HttpManager::vmsdk_http_get_file(int64_t callback_id, const std::string& url, CurlSlist headers,
                                      bool no_host_check, const DownloadParams& params) {
  VemoSDKHttp::TransferHost& host = *this;
  auto transfer = std::make_shared<DownloadTaskInfo>(host, callback_id, url, std::move(headers), no_host_check, params);
  if (transfer->needsPreCheck()) return vmsdk_http_head_callback(std::move(transfer));
  return startTransfer(std::move(transfer));
}

bool HttpManager::vmsdk_http_head_callback(std::shared_ptr<DownloadTaskInfo> transfer) {
  std::lock_guard<std::mutex> gate(start_gate_);
  if (shutting_down_) return false;
  if (!transfer->prepareHead(transferSettings())) return false;
  mark_task_downloading(transfer->taskId(), true);
  pushTransfer(std::move(transfer));
  return true;
}

bool HttpManager::startTransfer(std::shared_ptr<DownloadTaskInfo> transfer) {
  std::lock_guard<std::mutex> gate(start_gate_);
  if (shutting_down_) return false;
  int64_t now = VemoSDKHttp::http_now_ms();
  vemo::CurlEasy easy = handle_pool_.take(now);
  if (!easy) {
    std::fputs("init curl failed\n", stderr);
    VemoSDKHttp::post_download_failure(sink_, transfer->callbackId, transfer->params, VemoSDKHttp::kStatusCurlInit,
                                       "curl init failed");
    return false;
  }
  if (transfer->params.thread_count > 0) max_concurrent_ = transfer->params.thread_count;
  if (!transfer->prepareDownload(std::move(easy), transferSettings())) {
    if (transfer->easy) handle_pool_.put(std::move(transfer->easy), now);
    return false;
  }
  mark_task_downloading(transfer->taskId(), true);
  resetNetworkCheck();
  pushTransfer(std::move(transfer));
  return true;
}

bool HttpManager::continueTransfer(std::shared_ptr<DownloadTaskInfo> transfer) {
  return startTransfer(std::move(transfer));
}

VemoSDKHttp::TransferSettings HttpManager::transferSettings() const {
  VemoSDKHttp::TransferSettings settings;
  // While a limit holds, small reads keep the pacing even; the floor is what
  // update_download_config raised the rate to at least.
  settings.bufferSize = kUnlimitedBufferSize;
  if (limiter_.limited())
    settings.bufferSize =
        std::clamp<long>(read_buffer_size_ > 0 ? read_buffer_size_.load() : 16384, 1024, kUnlimitedBufferSize);
  settings.connectTimeoutMs = connect_timeout_ms_;
  settings.lowSpeedLimit = low_speed_limit_;
  settings.lowSpeedTime = low_speed_time_;
  settings.idleHandleAgeS = idle_handle_age_s_;
  settings.verbose = verbose_ != 0;
  settings.revocationCheck = revocation_check_;
  settings.readBufferSizeShown = read_buffer_size_ > 0 ? read_buffer_size_.load() : default_buffer_size_;
  return settings;
}

void VemoSDKHttp::set_common_tls_options(CURL* easy, bool no_host_check, const TransferSettings& settings) {
  if (!settings.revocationCheck) curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NO_REVOKE));
  if (no_host_check) curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
  if (settings.verbose) curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
}

bool HttpManager::networkAllowsTransfer(int64_t last_data_ms, int64_t now_ms) {
  bool connected = network_connected_;
  int64_t interval = connected ? kNetworkCheckMs : kNetworkRecheckOfflineMs;
  if (now_ms - network_check_ms_ >= interval) {
    connected = VemoSDKHttp::current_network_state() != VemoSDKHttp::kNetworkStateOffline;
    network_connected_ = connected;
    network_check_ms_ = now_ms;
  }
  // The state can say offline while a loopback or LAN server still answers:
  // only a transfer that has also gone quiet is given up.
  return connected || now_ms - last_data_ms < kSilenceBeforeNetworkAbortMs;
}

void HttpManager::keepHandle(vemo::CurlEasy easy) { handle_pool_.put(std::move(easy), VemoSDKHttp::http_now_ms()); }

VemoSDKHttp::WorkerThreads& HttpManager::checkWorkers() { return *check_workers_; }
