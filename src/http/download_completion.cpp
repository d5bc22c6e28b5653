// HttpManager: what happens when a transfer ends: the status, the judgement
// of a HEAD pre-check, the checks and rename of a finished file, and its one
// answer.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "http/download_callbacks.h"
#include "http/download_task_info.h"
#include "http/file_check.h"
#include "core/debug_log.h"
#include "http/http_headers.h"
#include "http/http_manager.h"
#include "http/http_result_code.h"

using VemoSDKHttp::BufferData;
using VemoSDKHttp::CurlSlist;
using VemoSDKHttp::DownloadTaskInfo;
using VemoSDKHttp::JsonPtr;

namespace {

bool is_success(int status) { return status >= 200 && status <= 299; }

const char* error_text(const BufferData& request, CURLcode result) {
  return request.errorText[0] ? request.errorText : curl_easy_strerror(result);
}

JsonPtr result_object(const DownloadTaskInfo& task, int status) {
  JsonPtr result(cJSON_CreateObject());
  cJSON_AddItemToObject(result.get(), "headers", cJSON_Duplicate(task.responseHeaders.get(), 1));
  cJSON_AddNumberToObject(result.get(), "status", status);
  return result;
}

}  // namespace

void HttpManager::vmsdk_http_on_transfer_done(std::unique_ptr<BufferData> request, CURLcode result) {
  if (!dynamic_cast<DownloadTaskInfo*>(request.get())) {
    finishMemoryRequest(std::move(request), result);
    return;
  }
  std::unique_ptr<DownloadTaskInfo> task(static_cast<DownloadTaskInfo*>(request.release()));
  long code = 0;
  curl_easy_getinfo(task->easy.get(), CURLINFO_RESPONSE_CODE, &code);
  int status = static_cast<int>(code);
  if (result == CURLE_ABORTED_BY_CALLBACK) {
    status = task->networkDown ? VemoSDKHttp::kStatusNetworkDown : VemoSDKHttp::kStatusStopped;
    vemo_debug_printf(task->networkDown ? "http network abort return code:%d \n" : "http abort return code:%d \n",
                      status);
  } else if (result != CURLE_OK) {
    status = static_cast<int>(result);
    std::fprintf(stderr, "curl_easy_perform() failed: %s\n", error_text(*task, result));
  }
  if (task->isHead) {
    // A failed pre-check still leads to the download, which reports its own failure.
    vmsdk_http_check_download_head_resp_valid(std::move(task));
    return;
  }
  // A handle whose transfer failed may hold a broken connection: not kept.
  if (result == CURLE_OK)
    handle_pool_.put(std::move(task->easy), VemoSDKHttp::http_now_ms());
  else
    task->easy.reset();
  if (result != CURLE_OK && !task->rangeMismatch) task->body = error_text(*task, result);
  finishDownload(std::move(task), status);
}

void HttpManager::vmsdk_http_check_download_head_resp_valid(std::unique_ptr<DownloadTaskInfo> head) {
  if (!isTaskRunning(head->taskId)) {
    // Stopped while the pre-check ran: the download never starts.
    postFinal(*head, result_object(*head, VemoSDKHttp::kStatusStopped), false, {});
    releaseSlot(head->taskId, VemoSDKHttp::kStatusStopped);
    return;
  }
  const cJSON* headers = head->responseHeaders.get();
  int64_t total = 0;
  const char* length_text = VemoSDKHttp::json_header_value(headers, "Content-Length");
  if (!length_text || !VemoSDKHttp::parse_int64(length_text, total)) total = 0;
  head->knownTotal = total;
  postHeaderEvent(*head);
  if (total == 0 && head->expectSize > 0) total = head->expectSize;

  CurlSlist request_headers = std::move(head->headers);
  std::string expected = VemoSDKHttp::param_text(head->params.param_if_range);
  if (!expected.empty()) {
    const char* current = VemoSDKHttp::json_header_value(headers, "Etag");
    if (!current) current = VemoSDKHttp::json_header_value(headers, "Last-Modified");
    if (current && expected != current) {
      vemo_debug_printf("head validator changed, download again from 0, tid:%s, was:%s, now:%s", head->taskId.c_str(),
                        expected.c_str(), current);
      request_headers = VemoSDKHttp::without_range_headers(request_headers.get());
    }
  }
  // A partial file that is not shorter than the resource cannot continue.
  VemoSDKHttp::ByteRange range;
  const char* range_line = VemoSDKHttp::find_range_header(request_headers.get());
  if (range_line && VemoSDKHttp::parse_range_header(range_line, range) && total > 0 && range.start >= total) {
    vemo_debug_printf("head range starts at the end, download again from 0, tid:%s", head->taskId.c_str());
    request_headers = VemoSDKHttp::without_range_headers(request_headers.get());
  }
  vemo_debug_printf("head request is vaild, now download file:%s", head->params.file);
  // The pre-check took the download's slot; a download that fails at once
  // (its answer is posted) hands the slot on.
  if (!vmsdk_http_get_file(head->callbackId, head->url, std::move(request_headers), head->noHostCheck, head->params,
                           total))
    releaseSlot(head->taskId, VemoSDKHttp::kStatusOpenFailed);
}

void HttpManager::finishDownload(std::unique_ptr<DownloadTaskInfo> task, int status) {
  if (task->rangeMismatch) {
    // The bytes at the start of the answer are not the ones the file needs.
    task->file.close();
    DeleteFileW(task->file.path().c_str());
    postEarlyFailure(task->callbackId, task->params, VemoSDKHttp::kStatusRangeMismatch, "range not match");
    releaseSlot(task->taskId, VemoSDKHttp::kStatusRangeMismatch);
    return;
  }
  if (!task->file.close() && is_success(status)) status = CURLE_WRITE_ERROR;
  if (task->callbackId == 0) {
    releaseSlot(task->taskId, status);
    return;
  }
  if (!is_success(status)) {
    postFinal(*task, result_object(*task, status), false, task->body);
    releaseSlot(task->taskId, status);
    return;
  }
  // Hashing may take seconds on a large file: not on the download thread.
  std::shared_ptr<DownloadTaskInfo> finished(std::move(task));
  if (const auto& digest = finished->file.digest()) {
    digest->finish([this, finished, status](const std::string& md5) { finishChecked(*finished, status, md5); });
    return;
  }
  check_workers_->post([this, finished, status] { finishChecked(*finished, status, {}); });
}

void HttpManager::finishChecked(DownloadTaskInfo& task, int status, const std::string& streamed_md5) {
  if (!VemoSDKHttp::checkFileValid(task.file.path(), task.checksum, task.expectSize, streamed_md5)) {
    vemo_debug_printf("completionBlock download complete, check valid failed, return 7009001");
    status = VemoSDKHttp::kStatusCheckFailed;
  } else if (!task.dest.empty()) {
    task.renamed = VemoSDKHttp::renameDownloadingFile(task.dest, task.file.path());
    if (!task.renamed) {
      vemo_debug_printf("download complete with rename failed : %lu", static_cast<unsigned long>(GetLastError()));
      status = VemoSDKHttp::kStatusRenameFailed;
    }
  }
  postFinal(task, result_object(task, status), is_success(status), {});
  releaseSlot(task.taskId, status);
}

void HttpManager::postFinal(DownloadTaskInfo& task, JsonPtr result, bool success, const std::string& body) {
  if (task.callbackId == 0) return;
  if (task.batchId > 0)
    sink_.postBatchResult(task.batchId, task.callbackId, std::move(result), task.renamed, success);
  else
    sink_.postResult(task.callbackId, VemoSDKHttp::print_json(result.get()), body);
}
