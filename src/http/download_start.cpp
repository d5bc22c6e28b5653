// HttpManager: starting downloads and HEAD pre-checks, the answer headers of
// a download, and its header and progress events.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "http/download_callbacks.h"
#include "http/download_task_info.h"
#include "http/download_thread.h"
#include "http/http_headers.h"
#include "http/http_manager.h"
#include "http/http_result_code.h"
#include "http/network_state.h"
#include "http/stream_digest.h"
#include "http/worker_threads.h"

using VemoSDKHttp::CurlSlist;
using VemoSDKHttp::DownloadTaskInfo;
using VemoSDKHttp::JsonPtr;

namespace {

constexpr long kUnlimitedBufferSize = 1048576;
constexpr int64_t kProgressPostIntervalMs = 100;  // per download; the final one always goes
constexpr int64_t kNetworkCheckMs = 2000;
constexpr int64_t kNetworkRecheckOfflineMs = 200;
constexpr int64_t kSilenceBeforeNetworkAbortMs = 2000;

std::wstring wide_path(const char* utf8) {
  std::wstring path = utf8_to_wstring(std::string(utf8));
  return path.empty() ? path : to_long_path(path);
}

void fill_task(DownloadTaskInfo& task, int64_t callback_id, const std::string& url, CurlSlist headers,
               bool no_host_check, const DownloadParams& params) {
  task.callbackId = callback_id;
  task.url = url;
  task.headers = std::move(headers);
  task.noHostCheck = no_host_check;
  task.params = params;
  VemoSDKHttp::terminate_param_texts(task.params);
  task.taskId = VemoSDKHttp::param_text(params.taskId);
  task.checksum = VemoSDKHttp::param_text(params.checksum);
  task.batchId = params.batchSubmitCbid;
  task.priority = task.pace.priority = params.priority;
  task.expectSize = params.expect_size;
  if (task.params.dest[0]) task.dest = wide_path(task.params.dest);
}

}  // namespace

bool HttpManager::vmsdk_http_get_file(int64_t callback_id, const std::string& url, CurlSlist headers,
                                      bool no_host_check, const DownloadParams& params, int64_t known_total) {
  std::lock_guard<std::mutex> gate(start_gate_);
  if (shutting_down_) return false;
  int64_t now = VemoSDKHttp::http_now_ms();
  auto task = std::make_unique<DownloadTaskInfo>(*this);
  task->easy = handle_pool_.take(now);
  if (!task->easy) {
    std::fputs("init curl failed\n", stderr);
    postEarlyFailure(callback_id, params, VemoSDKHttp::kStatusCurlInit, "curl init failed");
    return false;
  }
  fill_task(*task, callback_id, url, std::move(headers), no_host_check, params);
  if (params.thread_count > 0) max_concurrent_ = params.thread_count;

  // A Range line makes the download continue its file; one that names no
  // plain byte range is dropped and the file written from the start.
  const char* range_line = VemoSDKHttp::find_range_header(task->headers.get());
  if (range_line && !VemoSDKHttp::parse_range_header(range_line, task->requested)) {
    vemo_debug_printf("vmsdk_http_get_file unusable range:%s, tid:%s", range_line, task->taskId.c_str());
    task->headers = VemoSDKHttp::without_range_headers(task->headers.get());
    range_line = nullptr;
  }
  DWORD error = ERROR_INVALID_NAME;
  bool opened = false;
  if (task->params.file[0]) {
    std::wstring path = wide_path(task->params.file);
    if (range_line) {
      auto resumed = task->file.openAt(path, task->requested.start, error);
      if (resumed == VemoSDKHttp::DownloadFile::Resume::kOpened) {
        opened = task->resuming = true;
        task->resumeOffset = task->requested.start;
        vemo_debug_printf("vmsdk_http_get_file has range:%s, range str:%s, tid:%s, url:%s", "true", range_line,
                          task->taskId.c_str(), url.c_str());
      } else if (resumed == VemoSDKHttp::DownloadFile::Resume::kShorter) {
        vemo_debug_printf("vmsdk_http_get_file partial file shorter than its range, start again, tid:%s",
                          task->taskId.c_str());
        task->headers = VemoSDKHttp::without_range_headers(task->headers.get());
        opened = task->file.openFresh(path, error);
      }
    } else {
      opened = task->file.openFresh(path, error);
    }
  }
  if (!opened) {
    char msg[64];
    std::snprintf(msg, sizeof msg, "fopen return NULL, error=%lu", static_cast<unsigned long>(error));
    vemo_debug_printf("%s", msg);
    handle_pool_.put(std::move(task->easy), now);
    postEarlyFailure(callback_id, params, VemoSDKHttp::kStatusOpenFailed, msg);
    return false;
  }
  // A file written from byte 0 is hashed as it arrives; a resumed one is read
  // back whole once it is complete.
  if (!task->resuming && !task->checksum.empty() && callback_id != 0)
    task->file.attachDigest(std::make_shared<VemoSDKHttp::StreamDigest>(*check_workers_, [this] { wakeTransfers(); }));
  if (known_total > 0) task->knownTotal = known_total;
  setDownloadOptions(*task);
  if (task->batchId <= 0)
    vemo_debug_printf(
        "vmsdk_http_get_file begin url:%s, low speed bytes:%ld, timeout secs:%ld buffer size:%ld, conn_timeout:%ld, "
        "task_id:%s\n",
        url.c_str(), static_cast<long>(params.low_speed_limit_bytes), static_cast<long>(params.low_speed_limit_timeout_secs),
        static_cast<long>(read_buffer_size_ > 0 ? read_buffer_size_.load() : default_buffer_size_),
        static_cast<long>(params.connectionTimeout), task->taskId.c_str());
  task->lastDataMs = now;
  mark_task_downloading(task->taskId, true);
  resetNetworkCheck();
  download_thread_->push(std::move(task));
  return true;
}

void HttpManager::vmsdk_http_head_callback(int64_t callback_id, const std::string& url, CurlSlist headers,
                                           bool no_host_check, const DownloadParams& params) {
  std::lock_guard<std::mutex> gate(start_gate_);
  if (shutting_down_) return;
  auto head = std::make_unique<DownloadTaskInfo>(*this);
  head->easy.reset(curl_easy_init());
  if (!head->easy || !VemoSDKHttp::append_header(head->sentHeaders, "Accept-Encoding:identity")) {
    std::fputs("init curl failed\n", stderr);
    postEarlyFailure(callback_id, params, VemoSDKHttp::kStatusCurlInit, "curl init failed");
    return;
  }
  fill_task(*head, callback_id, url, std::move(headers), no_host_check, params);
  head->isHead = true;
  vemo_debug_printf("vmsdk_http_head_callback tid:%s, dest:%s", head->taskId.c_str(), head->params.dest);

  CURL* easy = head->easy.get();
  curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, VemoSDKHttp::vmsdk_http_write_memory_callback);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, head->sentHeaders.get());
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, VemoSDKHttp::vmsdk_http_header_callback);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, head.get());
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, head.get());
  curl_easy_setopt(easy, CURLOPT_PRIVATE, head.get());
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, 10000L);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, 30000L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, head->errorText);
  setCommonTlsOptions(easy, no_host_check);
  mark_task_downloading(head->taskId, true);
  download_thread_->push(std::move(head));
}

void HttpManager::setDownloadOptions(DownloadTaskInfo& task) {
  CURL* easy = task.easy.get();
  const DownloadParams& params = task.params;
  // While a limit holds, small reads keep the pacing even; the floor is what
  // update_download_config raised the rate to at least.
  long buffer_size = kUnlimitedBufferSize;
  if (limiter_.limited()) buffer_size = std::clamp<long>(read_buffer_size_ > 0 ? read_buffer_size_.load() : 16384,
                                                         1024, kUnlimitedBufferSize);
  curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 30L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_HTTP_CONTENT_DECODING, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, buffer_size);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(params.connectionTimeout > 0 ? params.connectionTimeout : connect_timeout_ms_));
  curl_easy_setopt(easy, CURLOPT_PRIVATE, &task);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &task);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &task);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &task);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, task.headers.get());
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, VemoSDKHttp::vmsdk_http_download_header_callback);
  curl_easy_setopt(easy, CURLOPT_URL, task.url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, VemoSDKHttp::vmsdk_http_write_file_callback);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, VemoSDKHttp::progress_callback);
  curl_easy_setopt(easy, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(easy, CURLOPT_TCP_KEEPIDLE, 15L);
  curl_easy_setopt(easy, CURLOPT_TCP_KEEPINTVL, 5L);
  curl_easy_setopt(easy, CURLOPT_MAXAGE_CONN, static_cast<long>(idle_handle_age_s_));
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                   static_cast<long>(params.low_speed_limit_timeout_secs > 0 ? params.low_speed_limit_timeout_secs
                                                                               : low_speed_time_));
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT,
                   static_cast<long>(params.low_speed_limit_bytes > 0 ? params.low_speed_limit_bytes : low_speed_limit_));
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, task.errorText);
  setCommonTlsOptions(easy, task.noHostCheck);
}

void HttpManager::setCommonTlsOptions(CURL* easy, bool no_host_check) {
  if (!revocation_check_) curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NO_REVOKE));
  if (no_host_check) curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
  if (verbose_) curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
}

bool HttpManager::networkAllowsTransfer(const DownloadTaskInfo& task, int64_t now_ms) {
  bool connected = network_connected_;
  int64_t interval = connected ? kNetworkCheckMs : kNetworkRecheckOfflineMs;
  if (now_ms - network_check_ms_ >= interval) {
    connected = VemoSDKHttp::current_network_state() != VemoSDKHttp::kNetworkStateOffline;
    network_connected_ = connected;
    network_check_ms_ = now_ms;
  }
  // The state can say offline while a loopback or LAN server still answers:
  // only a transfer that has also gone quiet is given up.
  return connected || now_ms - task.lastDataMs < kSilenceBeforeNetworkAbortMs;
}

bool HttpManager::onDownloadHeadersEnd(DownloadTaskInfo& task, long response_code) {
  const cJSON* headers = task.responseHeaders.get();
  int64_t content_length = 0;
  const char* length_text = VemoSDKHttp::json_header_value(headers, "Content-Length");
  if (!length_text || !VemoSDKHttp::parse_int64(length_text, content_length)) content_length = 0;
  if (!task.resuming) {
    task.knownTotal = content_length;
    postHeaderEvent(task);
    return true;
  }
  if (response_code == 200) {
    // The server sent the whole file instead of the range (it changed, or
    // it does not do ranges): write it from byte 0.
    vemo_debug_printf("vmsdk_http_download_header_callback range answered with 200, start again, tid:%s",
                      task.taskId.c_str());
    if (!task.file.restartFromZero()) return false;
    task.resuming = false;
    task.resumeOffset = 0;
    task.knownTotal = content_length;
    postHeaderEvent(task);
    return true;
  }
  const char* content_range = VemoSDKHttp::json_header_value(headers, "Content-Range");
  if (!VemoSDKHttp::content_range_matches(task.requested, content_range ? content_range : "", task.knownTotal)) {
    vemo_debug_printf("range not match, tid:%s, content range:%s", task.taskId.c_str(),
                      content_range ? content_range : "");
    task.rangeMismatch = true;
    return false;
  }
  return true;
}

void HttpManager::postHeaderEvent(DownloadTaskInfo& task) {
  if (task.callbackId == 0) return;
  JsonPtr event(cJSON_CreateObject());
  cJSON_AddNumberToObject(event.get(), "received", 0);
  cJSON_AddNumberToObject(event.get(), "total", static_cast<double>(task.knownTotal));
  cJSON_AddStringToObject(event.get(), "type", "header");
  cJSON* ext = cJSON_AddObjectToObject(event.get(), "ext");
  cJSON_AddItemToObject(ext, "headers", cJSON_Duplicate(task.responseHeaders.get(), 1));
  if (task.batchId > 0)
    sink_.postBatchEvent(task.batchId, task.callbackId, std::move(event), true);
  else
    sink_.postEvent(task.callbackId, VemoSDKHttp::print_json(event.get()), false);
}

void HttpManager::postProgress(DownloadTaskInfo& task, int64_t now_ms) {
  if (task.callbackId == 0) return;
  bool finished = task.received > 0 && task.received == task.progressTotal;
  if (!finished && now_ms - task.lastProgressPostMs < kProgressPostIntervalMs) return;
  task.lastProgressPostMs = now_ms;
  JsonPtr event(cJSON_CreateObject());
  cJSON_AddStringToObject(event.get(), "url", task.url.c_str());
  cJSON_AddStringToObject(event.get(), "file", task.params.file);
  cJSON_AddNumberToObject(event.get(), "received", finished ? -1.0 : static_cast<double>(task.received));
  cJSON_AddNumberToObject(event.get(), "total", static_cast<double>(task.progressTotal));
  if (task.batchId > 0)
    sink_.postBatchEvent(task.batchId, task.callbackId, std::move(event), false);
  else
    sink_.postEvent(task.callbackId, VemoSDKHttp::print_json(event.get()), true);
}

void HttpManager::postEarlyFailure(int64_t callback_id, const DownloadParams& params, int status,
                                   const std::string& msg) {
  if (callback_id == 0) return;
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddNumberToObject(result.get(), "status", status);
  cJSON_AddStringToObject(result.get(), "msg", msg.c_str());
  if (params.batchSubmitCbid > 0)
    sink_.postBatchResult(params.batchSubmitCbid, callback_id, std::move(result), false, false);
  else
    sink_.postResult(callback_id, VemoSDKHttp::print_json(result.get()), {});
}
