#pragma once
// Downloads waiting for a free slot: the pending queue of task ids (high
// priority in front) and the pending cache of their submissions. Not locked
// itself: HttpManager holds its pending lock around every call.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/owners.h"
#include "http/download_params.h"

// One waiting download: what the Lua side submitted.
struct SubmitParams {
  DownloadParams params{};
  int64_t callbackId = 0;
  std::string url;
  vemo::CurlSlist headers;
};

namespace VemoSDKHttp {

class PendingDownloads {
public:
  // Queues a submission: in front when its priority is greater than 0, else
  // at the back. A task id that is already waiting keeps its first record and
  // place; the new submission is dropped and false returned.
  bool submit(std::unique_ptr<SubmitParams> submission);
  // The submission at the front of the queue, taken out of queue and cache;
  // null when nothing is waiting.
  std::unique_ptr<SubmitParams> takeFront();
  bool frontIsHighPriority() const;
  // Moves a waiting task to the front when the new priority is higher than
  // its own; false when the task is not waiting or the priority is not higher.
  bool raisePriority(const std::string& task_id, int32_t priority);
  // Takes a waiting task out of queue and cache; null when it is not waiting.
  std::unique_ptr<SubmitParams> remove(const std::string& task_id);
  bool contains(const std::string& task_id) const { return cache_.count(task_id) != 0; }

  size_t queueSize() const { return queue_.size(); }
  size_t cacheSize() const { return cache_.size(); }
  std::vector<std::string> queuedIds() const { return {queue_.begin(), queue_.end()}; }

private:
  std::deque<std::string> queue_;
  std::unordered_map<std::string, std::unique_ptr<SubmitParams>> cache_;
};

}  // namespace VemoSDKHttp
