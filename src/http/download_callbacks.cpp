#include "http/download_callbacks.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "http/download_task_info.h"
#include "core/debug_log.h"
#include "http/http_headers.h"
#include "http/http_manager.h"

namespace VemoSDKHttp {
namespace {

long response_code(CURL* easy) {
  long code = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
  return code;
}

// Keeps "Name: value" lines of a 2xx answer; false for any other line.
bool collect_header_line(BufferData& request, std::string_view line, long code) {
  if (code >= 300) return false;
  std::string name, value;
  if (!split_header_line(line, name, value)) return false;
  cJSON* headers = request.responseHeaders.get();
  cJSON* text = cJSON_CreateString(value.c_str());
  if (cJSON_GetObjectItemCaseSensitive(headers, name.c_str()))
    cJSON_ReplaceItemInObjectCaseSensitive(headers, name.c_str(), text);
  else
    cJSON_AddItemToObject(headers, name.c_str(), text);
  return true;
}

}  // namespace

int64_t http_now_ms() { return static_cast<int64_t>(GetTickCount64()); }

size_t vmsdk_http_download_header_callback(char* line, size_t size, size_t count, void* record) {
  auto& task = *static_cast<DownloadTaskInfo*>(record);
  size_t length = size * count;
  std::string_view text(line, length);
  long code = response_code(task.easy.get());
  if (collect_header_line(task, text, code)) return length;
  // The empty line that ends the headers of the final answer.
  if (trim_http_text(text).empty() && code >= 200 && code < 300)
    return task.manager.onDownloadHeadersEnd(task, code) ? length : 0;
  return length;
}

size_t vmsdk_http_header_callback(char* line, size_t size, size_t count, void* record) {
  auto& request = *static_cast<BufferData*>(record);
  size_t length = size * count;
  collect_header_line(request, std::string_view(line, length), response_code(request.easy.get()));
  return length;
}

size_t vmsdk_http_write_file_callback(char* data, size_t size, size_t count, void* record) {
  auto& task = *static_cast<DownloadTaskInfo*>(record);
  size_t length = size * count;
  if (task.file.digestBehind()) {
    task.digestHeld = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  int64_t now = http_now_ms();
  if (!task.manager.speedLimiter().allowWrite(task.pace, length, now)) return CURL_WRITEFUNC_PAUSE;
  task.lastDataMs = now;
  return task.file.write(data, length);
}

size_t vmsdk_http_write_memory_callback(char* data, size_t size, size_t count, void* record) {
  auto& request = *static_cast<BufferData*>(record);
  size_t length = size * count;
  if (request.noBody) return length;
  try {
    request.body.append(data, length);
  } catch (...) {
    return 0;  // out of memory: libcurl fails the transfer with a write error
  }
  return length;
}

int progress_callback(void* record, curl_off_t download_total, curl_off_t downloaded, curl_off_t, curl_off_t) {
  auto& task = *static_cast<DownloadTaskInfo*>(record);
  HttpManager& manager = task.manager;
  int64_t now = http_now_ms();
  if (!manager.networkAllowsTransfer(task, now)) {
    task.networkDown = true;
    vemo_debug_printf("progress_callback: network disconnected detected, abort transfer, task_id:%s\n",
                      task.taskId.c_str());
    return 1;
  }
  if (manager.speedLimiter().progressStep(task.pace, now) && !task.digestHeld)
    curl_easy_pause(task.easy.get(), CURLPAUSE_CONT);

  int64_t total = task.knownTotal > 0 ? task.knownTotal : download_total;
  int64_t received = task.knownTotal > 0 ? task.resumeOffset + downloaded : downloaded;
  if (received != task.received) {
    task.received = received;
    task.progressTotal = total;
    if (download_total > 0) manager.postProgress(task, now);
  }
  if (!manager.isTaskRunning(task.taskId)) {
    vemo_debug_printf("progress_callback check stopped state, task_id:%s, now stop transfer \n", task.taskId.c_str());
    return 1;
  }
  return 0;
}

void DownloadTaskInfo::onLoopPass(int64_t now_ms) {
  // Progress calls slow down while a transfer is paused; the loop resumes it
  // as soon as its window has room again and its digest has caught up.
  bool resume = false;
  if (pace.paused && manager.speedLimiter().progressStep(pace, now_ms)) resume = true;
  if (digestHeld && !file.digestBehind()) {
    digestHeld = false;
    resume = true;
  }
  if (resume && !pace.paused && !digestHeld) curl_easy_pause(easy.get(), CURLPAUSE_CONT);
}

}  // namespace VemoSDKHttp
