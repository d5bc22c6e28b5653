#include "http/pending_downloads.h"

#include <algorithm>

#include "core/debug_log.h"

namespace VemoSDKHttp {

bool PendingDownloads::submit(std::unique_ptr<SubmitParams> submission) {
  std::string id = param_text(submission->params.taskId);
  bool high = submission->params.priority > 0;
  if (!cache_.emplace(id, std::move(submission)).second) return false;
  if (high)
    queue_.push_front(id);
  else
    queue_.push_back(id);
  return true;
}

std::unique_ptr<SubmitParams> PendingDownloads::takeFront() {
  // An id without a record is skipped, so that it never holds up the ones
  // behind it.
  while (!queue_.empty()) {
    std::string id = std::move(queue_.front());
    queue_.pop_front();
    auto found = cache_.find(id);
    if (found == cache_.end()) {
      vemo_debug_printf("vmsdk_on_complete_download_next no submit params");
      continue;
    }
    std::unique_ptr<SubmitParams> submission = std::move(found->second);
    cache_.erase(found);
    return submission;
  }
  vemo_debug_printf("vmsdk_on_complete_download_next no next!");
  return nullptr;
}

bool PendingDownloads::frontIsHighPriority() const {
  if (queue_.empty()) return false;
  auto found = cache_.find(queue_.front());
  return found != cache_.end() && found->second->params.priority > 0;
}

bool PendingDownloads::raisePriority(const std::string& task_id, int32_t priority) {
  auto found = cache_.find(task_id);
  if (found == cache_.end() || priority <= found->second->params.priority) return false;
  found->second->params.priority = priority;
  queue_.erase(std::remove(queue_.begin(), queue_.end(), task_id), queue_.end());
  queue_.push_front(task_id);
  return true;
}

std::unique_ptr<SubmitParams> PendingDownloads::remove(const std::string& task_id) {
  auto found = cache_.find(task_id);
  if (found == cache_.end()) return nullptr;
  std::unique_ptr<SubmitParams> removed = std::move(found->second);
  cache_.erase(found);
  queue_.erase(std::remove(queue_.begin(), queue_.end(), task_id), queue_.end());
  return removed;
}

}  // namespace VemoSDKHttp
