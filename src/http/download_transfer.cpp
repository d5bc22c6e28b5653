// DownloadTaskInfo: starting the pre-check and the download, the answer's
// headers, the writes, progress and network checks, and its events.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "http/download_callbacks.h"
#include "http/download_task_info.h"
#include "http/http_result_code.h"
#include "http/stream_digest.h"
#include "http/worker_threads.h"

namespace VemoSDKHttp {
namespace {

constexpr int64_t kProgressPostIntervalMs = 100;  // per download; the final one always goes

std::wstring wide_path(const char* utf8) {
  std::wstring path = utf8_to_wstring(std::string(utf8));
  return path.empty() ? path : to_long_path(path);
}

}  // namespace

DownloadTaskInfo::DownloadTaskInfo(TransferHost& host, int64_t callback_id, const std::string& url,
                                   vemo::CurlSlist request_headers, bool no_host_check, const DownloadParams& download)
    : host_(host) {
  callbackId = callback_id;
  this->url = url;
  headers = std::move(request_headers);
  noHostCheck = no_host_check;
  params = download;
  terminate_param_texts(params);
  taskId_ = param_text(params.taskId);
  checksum_ = param_text(params.checksum);
  batchId_ = params.batchSubmitCbid;
  pace_.priority = params.priority;
  expectSize_ = params.expect_size;
  if (params.dest[0]) dest_ = wide_path(params.dest);
}

std::shared_ptr<DownloadTaskInfo> DownloadTaskInfo::self() {
  return std::static_pointer_cast<DownloadTaskInfo>(shared_from_this());
}

void DownloadTaskInfo::postEarlyFailure(int status, const std::string& msg) {
  post_download_failure(host_.sink(), callbackId, params, status, msg);
}

bool DownloadTaskInfo::prepareHead(const TransferSettings& settings) {
  easy.reset(curl_easy_init());
  // The request's own headers (a server may need them: authorisation, a
  // signed token), without the range, which would make the answer describe
  // the slice instead of the whole file.
  sentHeaders = without_range_headers(headers.get());
  if (!easy || !vemo::append_header(sentHeaders, "Accept-Encoding:identity")) {
    std::fputs("init curl failed\n", stderr);
    postEarlyFailure(kStatusCurlInit, "curl init failed");
    return false;
  }
  isHead_ = true;
  vemo_debug_printf("vmsdk_http_head_callback tid:%s, dest:%s", taskId_.c_str(), params.dest);
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 1L);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, vmsdk_http_write_memory_callback);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, sentHeaders.get());
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, vmsdk_http_header_callback);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, static_cast<BufferData*>(this));
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, static_cast<BufferData*>(this));
  curl_easy_setopt(handle, CURLOPT_PRIVATE, static_cast<BufferData*>(this));
  curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(handle, CURLOPT_HTTP_CONTENT_DECODING, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, 10000L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, 30000L);
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
  set_common_tls_options(easy.get(), noHostCheck, settings);
  return true;
}

bool DownloadTaskInfo::prepareDownload(vemo::CurlEasy handle, const TransferSettings& settings) {
  isHead_ = false;
  easy = std::move(handle);
  // A Range line makes the download continue its file; one that names no
  // plain byte range is dropped and the file written from the start.
  const char* range_line = find_range_header(headers.get());
  if (range_line && !parse_range_header(range_line, requested_)) {
    vemo_debug_printf("vmsdk_http_get_file unusable range:%s, tid:%s", range_line, taskId_.c_str());
    headers = without_range_headers(headers.get());
    range_line = nullptr;
  }
  DWORD error = ERROR_INVALID_NAME;
  bool opened = false;
  if (params.file[0]) {
    std::wstring path = wide_path(params.file);
    if (range_line) {
      auto resumed = file_.openAt(path, requested_.start, error);
      if (resumed == DownloadFile::Resume::kOpened) {
        opened = resuming_ = true;
        resumeOffset_ = requested_.start;
        vemo_debug_printf("vmsdk_http_get_file has range:%s, range str:%s, tid:%s, url:%s", "true", range_line,
                          taskId_.c_str(), url.c_str());
      } else if (resumed == DownloadFile::Resume::kShorter) {
        vemo_debug_printf("vmsdk_http_get_file partial file shorter than its range, start again, tid:%s",
                          taskId_.c_str());
        headers = without_range_headers(headers.get());
        opened = file_.openFresh(path, error);
      }
    } else {
      opened = file_.openFresh(path, error);
    }
  }
  if (!opened) {
    char msg[64];
    std::snprintf(msg, sizeof msg, "fopen return NULL, error=%lu", static_cast<unsigned long>(error));
    vemo_debug_printf("%s", msg);
    postEarlyFailure(kStatusOpenFailed, msg);
    return false;
  }
  // The file is hashed as it arrives; a resumed one's part already there is
  // read from disk first, in the digest's order.
  if (!checksum_.empty() && callbackId != 0) {
    TransferHost& host = host_;
    auto digest = std::make_shared<StreamDigest>(host.checkWorkers(), [&host] { host.wakeTransfers(); });
    if (resuming_) digest->feedFromFile(file_.path(), resumeOffset_);
    file_.attachDigest(std::move(digest));
  }

  // While a limit holds, small reads keep the pacing even.
  CURL* curl = easy.get();
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 30L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  // A range of an encoded answer is a slice of the encoded bytes, which
  // neither decodes alone nor continues the file: a resume asks for none.
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, resuming_ ? "identity" : "");
  curl_easy_setopt(curl, CURLOPT_HTTP_CONTENT_DECODING, 1L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, settings.bufferSize);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   params.connectionTimeout > 0 ? static_cast<long>(params.connectionTimeout)
                                                : settings.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_PRIVATE, static_cast<BufferData*>(this));
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, vmsdk_http_download_header_callback);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, vmsdk_http_write_file_callback);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress_callback);
  curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(curl, CURLOPT_TCP_KEEPIDLE, 15L);
  curl_easy_setopt(curl, CURLOPT_TCP_KEEPINTVL, 5L);
  curl_easy_setopt(curl, CURLOPT_MAXAGE_CONN, settings.idleHandleAgeS);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME,
                   params.low_speed_limit_timeout_secs > 0 ? static_cast<long>(params.low_speed_limit_timeout_secs)
                                                           : settings.lowSpeedTime);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT,
                   params.low_speed_limit_bytes > 0 ? static_cast<long>(params.low_speed_limit_bytes)
                                                    : settings.lowSpeedLimit);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  set_common_tls_options(easy.get(), noHostCheck, settings);
  if (batchId_ <= 0)
    vemo_debug_printf(
        "vmsdk_http_get_file begin url:%s, low speed bytes:%ld, timeout secs:%ld buffer size:%ld, conn_timeout:%ld, "
        "task_id:%s\n",
        url.c_str(), static_cast<long>(params.low_speed_limit_bytes),
        static_cast<long>(params.low_speed_limit_timeout_secs), settings.readBufferSizeShown,
        static_cast<long>(params.connectionTimeout), taskId_.c_str());
  lastDataMs_ = http_now_ms();
  return true;
}

bool DownloadTaskInfo::onHeadersEnd(long response_code) {
  const cJSON* answer = responseHeaders.get();
  int64_t content_length = 0;
  const char* length_text = json_header_value(answer, "Content-Length");
  if (!length_text || !parse_int64(length_text, content_length)) content_length = 0;
  if (!resuming_) {
    knownTotal = content_length;
    postHeaderEvent();
    return true;
  }
  if (response_code == 200) {
    // The server sent the whole file instead of the range (it changed, or
    // it does not do ranges): write it from byte 0.
    vemo_debug_printf("vmsdk_http_download_header_callback range answered with 200, start again, tid:%s",
                      taskId_.c_str());
    if (!file_.restartFromZero()) return false;
    resuming_ = false;
    resumeOffset_ = 0;
    knownTotal = content_length;
    postHeaderEvent();
    return true;
  }
  const char* content_range = json_header_value(answer, "Content-Range");
  if (!content_range_matches(requested_, content_range ? content_range : "", knownTotal)) {
    vemo_debug_printf("range not match, tid:%s, content range:%s", taskId_.c_str(), content_range ? content_range : "");
    rangeMismatch_ = true;
    return false;
  }
  return true;
}

size_t DownloadTaskInfo::onData(const char* data, size_t length) {
  if (file_.digestBehind()) {
    digestHeld_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  int64_t now = http_now_ms();
  if (!host_.speedLimiter().allowWrite(pace_, length, now)) return CURL_WRITEFUNC_PAUSE;
  lastDataMs_ = now;
  return file_.write(data, length);
}

int DownloadTaskInfo::onProgress(int64_t download_total, int64_t downloaded) {
  int64_t now = http_now_ms();
  if (!host_.networkAllowsTransfer(lastDataMs_, now)) {
    networkDown_ = true;
    vemo_debug_printf("progress_callback: network disconnected detected, abort transfer, task_id:%s\n",
                      taskId_.c_str());
    return 1;
  }
  if (host_.speedLimiter().progressStep(pace_, now) && !digestHeld_) curl_easy_pause(easy.get(), CURLPAUSE_CONT);

  int64_t total = knownTotal > 0 ? knownTotal : download_total;
  int64_t received = knownTotal > 0 ? resumeOffset_ + downloaded : downloaded;
  if (received != received_) {
    received_ = received;
    progressTotal_ = total;
    if (download_total > 0) postProgress(now);
  }
  if (!host_.isTaskRunning(taskId_)) {
    vemo_debug_printf("progress_callback check stopped state, task_id:%s, now stop transfer \n", taskId_.c_str());
    return 1;
  }
  return 0;
}

void DownloadTaskInfo::onLoopPass(int64_t now_ms) {
  // Progress calls slow down while a transfer is paused; the loop resumes it
  // as soon as its window has room again and its digest has caught up.
  bool resume = false;
  if (pace_.paused && host_.speedLimiter().progressStep(pace_, now_ms)) resume = true;
  if (digestHeld_ && !file_.digestBehind()) {
    digestHeld_ = false;
    resume = true;
  }
  if (resume && !pace_.paused && !digestHeld_) curl_easy_pause(easy.get(), CURLPAUSE_CONT);
}

void DownloadTaskInfo::postHeaderEvent() {
  if (callbackId == 0) return;
  vemo::JsonPtr event(cJSON_CreateObject());
  cJSON_AddNumberToObject(event.get(), "received", 0);
  cJSON_AddNumberToObject(event.get(), "total", static_cast<double>(knownTotal));
  cJSON_AddStringToObject(event.get(), "type", "header");
  cJSON* ext = cJSON_AddObjectToObject(event.get(), "ext");
  cJSON_AddItemToObject(ext, "headers", cJSON_Duplicate(responseHeaders.get(), 1));
  if (batchId_ > 0)
    host_.sink().postBatchEvent(batchId_, callbackId, std::move(event), true);
  else
    host_.sink().postEvent(callbackId, vemo::print_json(event.get()), false);
}

void DownloadTaskInfo::postProgress(int64_t now_ms) {
  if (callbackId == 0) return;
  bool finished = received_ > 0 && received_ == progressTotal_;
  if (!finished && now_ms - lastProgressPostMs_ < kProgressPostIntervalMs) return;
  lastProgressPostMs_ = now_ms;
  vemo::JsonPtr event(cJSON_CreateObject());
  cJSON_AddStringToObject(event.get(), "url", url.c_str());
  cJSON_AddStringToObject(event.get(), "file", params.file);
  cJSON_AddNumberToObject(event.get(), "received", finished ? -1.0 : static_cast<double>(received_));
  cJSON_AddNumberToObject(event.get(), "total", static_cast<double>(progressTotal_));
  if (batchId_ > 0)
    host_.sink().postBatchEvent(batchId_, callbackId, std::move(event), false);
  else
    host_.sink().postEvent(callbackId, vemo::print_json(event.get()), true);
}

}  // namespace VemoSDKHttp
