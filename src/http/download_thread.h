#pragma once
// The one thread that runs every transfer, around one libcurl multi handle.
// Any thread hands a ready request over with push(); the download thread adds
// it, drives it, and gives it back finished to the completion function
// (which runs on the download thread and may push new requests).
#include <curl/curl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "http/buffer_data.h"

namespace VemoSDKHttp {

class DownloadThread {
public:
  using Completion = std::function<void(std::unique_ptr<BufferData>, CURLcode)>;

  explicit DownloadThread(Completion completion);
  // Stops the thread; requests still running are dropped without an answer.
  ~DownloadThread();
  DownloadThread(const DownloadThread&) = delete;
  DownloadThread& operator=(const DownloadThread&) = delete;

  void push(std::unique_ptr<BufferData> request);
  // Makes the thread look at its transfers now (a held one may go on).
  void wake();

private:
  void vmsdk_http_multi_loop();
  void addWaiting();
  void completeFinished();
  // After a failed wait: every transfer of the old multi handle is finished
  // with an error and a new handle takes over.
  void restartContext(CURLMcode error);

  const Completion completion_;
  std::atomic<bool> running_{true};
  std::mutex incoming_lock_;  // guards incoming_ and the multi_ pointer for wake-ups
  std::vector<std::unique_ptr<BufferData>> incoming_;
  CURLM* multi_ = nullptr;
  std::unordered_map<CURL*, std::unique_ptr<BufferData>> active_;  // download thread only
  std::thread thread_;
};

}  // namespace VemoSDKHttp
