#pragma once
// A thread that runs transfers around one libcurl multi handle. Any thread
// hands a ready request over with push(); the download thread adds it, drives
// it, and calls its completion once it is over (which runs on the download
// thread and may push new requests).
#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "http/buffer_data.h"

namespace VemoSDKHttp {

class DownloadThread {
public:
  DownloadThread();
  // Stops the thread; requests still running are dropped without an answer.
  ~DownloadThread();
  DownloadThread(const DownloadThread&) = delete;
  DownloadThread& operator=(const DownloadThread&) = delete;

  void push(std::shared_ptr<BufferData> request);
  // Makes the thread look at its transfers now (a held one may go on).
  void wake();
  // Requests pushed and not completed yet.
  size_t load() const { return load_; }

private:
  void vmsdk_http_multi_loop();
  void addWaiting();
  void completeFinished();
  // After a failed wait: every transfer of the old multi handle is finished
  // with an error and a new handle takes over.
  void restartContext(CURLMcode error);

  std::atomic<bool> running_{true};
  std::atomic<size_t> load_{0};
  std::mutex incoming_lock_;  // guards incoming_ and the multi_ pointer for wake-ups
  std::vector<std::shared_ptr<BufferData>> incoming_;
  vemo::CurlMulti multi_;
  std::unordered_map<CURL*, std::shared_ptr<BufferData>> active_;  // download thread only
  std::thread thread_;
};

}  // namespace VemoSDKHttp
