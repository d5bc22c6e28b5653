// DownloadTaskInfo: what happens when its transfer ends: the status, the
// judgement of a HEAD pre-check, the checks and rename of a finished file,
// and its one answer.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "core/debug_log.h"
#include "http/download_callbacks.h"
#include "http/download_task_info.h"
#include "http/file_check.h"
#include "http/http_headers.h"
#include "http/http_result_code.h"
#include "http/worker_threads.h"

namespace VemoSDKHttp {
namespace {

bool is_success(int status) { return status >= 200 && status <= 299; }

const char* error_text(const BufferData& request, CURLcode result) {
  return request.errorText[0] ? request.errorText : curl_easy_strerror(result);
}

}  // namespace

int DownloadTaskInfo::statusOf(CURLcode result) {
  long code = 0;
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &code);
  int status = static_cast<int>(code);
  if (result == CURLE_ABORTED_BY_CALLBACK) {
    status = networkDown_ ? kStatusNetworkDown : kStatusStopped;
    vemo_debug_printf(networkDown_ ? "http network abort return code:%d \n" : "http abort return code:%d \n", status);
  } else if (result != CURLE_OK) {
    status = static_cast<int>(result);
    std::fprintf(stderr, "curl_easy_perform() failed: %s\n", error_text(*this, result));
  }
  return status;
}

void DownloadTaskInfo::complete(CURLcode result) {
  int status = statusOf(result);
  if (isHead_) {
    // A failed pre-check still leads to the download, which reports its own failure.
    easy.reset();
    judgePreCheck();
    return;
  }
  // A handle whose transfer failed may hold a broken connection: not kept.
  if (result == CURLE_OK)
    host_.keepHandle(std::move(easy));
  else
    easy.reset();
  if (result != CURLE_OK && !rangeMismatch_) body = error_text(*this, result);
  finishDownload(status);
}

void DownloadTaskInfo::judgePreCheck() {
  if (!host_.isTaskRunning(taskId_)) {
    // Stopped while the pre-check ran: the download never starts.
    postFinal(kStatusStopped, false, {});
    host_.releaseSlot(taskId_, kStatusStopped);
    return;
  }
  const cJSON* answer = responseHeaders.get();
  int64_t total = 0;
  const char* length_text = json_header_value(answer, "Content-Length");
  if (!length_text || !parse_int64(length_text, total)) total = 0;
  knownTotal = total;
  postHeaderEvent();
  if (total == 0 && expectSize_ > 0) total = expectSize_;

  std::string expected = param_text(params.param_if_range);
  if (!expected.empty()) {
    const char* current = json_header_value(answer, "Etag");
    if (!current) current = json_header_value(answer, "Last-Modified");
    if (current && expected != current) {
      vemo_debug_printf("head validator changed, download again from 0, tid:%s, was:%s, now:%s", taskId_.c_str(),
                        expected.c_str(), current);
      headers = without_range_headers(headers.get());
    }
  }
  // A partial file that is not shorter than the resource cannot continue.
  ByteRange range;
  const char* range_line = find_range_header(headers.get());
  if (range_line && parse_range_header(range_line, range) && total > 0 && range.start >= total) {
    vemo_debug_printf("head range starts at the end, download again from 0, tid:%s", taskId_.c_str());
    headers = without_range_headers(headers.get());
  }
  vemo_debug_printf("head request is vaild, now download file:%s", params.file);
  // The download's own answer starts afresh; the total is what the HEAD found.
  knownTotal = total > 0 ? total : 0;
  responseHeaders.reset(cJSON_CreateObject());
  sentHeaders.reset();
  errorText[0] = '\0';
  // The pre-check took the download's slot; a download that fails at once
  // (its answer is posted) hands the slot on.
  if (!host_.continueTransfer(self())) host_.releaseSlot(taskId_, kStatusOpenFailed);
}

void DownloadTaskInfo::finishDownload(int status) {
  if (rangeMismatch_) {
    // The bytes at the start of the answer are not the ones the file needs.
    file_.close();
    DeleteFileW(file_.path().c_str());
    postEarlyFailure(kStatusRangeMismatch, "range not match");
    host_.releaseSlot(taskId_, kStatusRangeMismatch);
    return;
  }
  // A finished file stays open, so nobody writes it, until it is renamed.
  if (!file_.finishWrites() && is_success(status)) status = CURLE_WRITE_ERROR;
  if (callbackId == 0 || !is_success(status)) file_.close();
  if (callbackId == 0) {
    host_.releaseSlot(taskId_, status);
    return;
  }
  if (!is_success(status)) {
    postFinal(status, false, body);
    host_.releaseSlot(taskId_, status);
    return;
  }
  // Hashing may take seconds on a large file: not on the download thread.
  std::shared_ptr<DownloadTaskInfo> finished = self();
  if (const auto& digest = file_.digest()) {
    digest->finish([finished, status](const std::string& md5) { finished->finishChecked(status, md5); });
    return;
  }
  host_.checkWorkers().post([finished, status] { finished->finishChecked(status, {}); });
}

void DownloadTaskInfo::finishChecked(int status, const std::string& streamed_md5) {
  if (!checkFileValid(file_.path(), checksum_, expectSize_, streamed_md5, file_.size())) {
    vemo_debug_printf("completionBlock download complete, check valid failed, return 7009001");
    status = kStatusCheckFailed;
  } else if (!dest_.empty()) {
    renamed_ = renameDownloadingFile(dest_, file_.path());
    if (!renamed_) {
      vemo_debug_printf("download complete with rename failed : %lu", static_cast<unsigned long>(GetLastError()));
      status = kStatusRenameFailed;
    }
  }
  file_.close();
  postFinal(status, is_success(status), {});
  host_.releaseSlot(taskId_, status);
}

void DownloadTaskInfo::postFinal(int status, bool success, const std::string& error_body) {
  if (callbackId == 0) return;
  vemo::JsonPtr result(cJSON_CreateObject());
  cJSON_AddItemToObject(result.get(), "headers", cJSON_Duplicate(responseHeaders.get(), 1));
  cJSON_AddNumberToObject(result.get(), "status", status);
  if (batchId_ > 0)
    host_.sink().postBatchResult(batchId_, callbackId, std::move(result), renamed_, success);
  else
    host_.sink().postResult(callbackId, vemo::print_json(result.get()), error_body);
}

}  // namespace VemoSDKHttp
