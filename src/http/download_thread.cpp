#include "http/download_thread.h"

#include <windows.h>

#include <cstdio>

#include "core/debug_log.h"

namespace VemoSDKHttp {
namespace {

constexpr int kBusyWaitMs = 50;   // a transfer's pauses and time-outs are looked at this often
constexpr int kIdleWaitMs = 1000;  // nothing runs: a push wakes the thread at once anyway

}  // namespace

DownloadThread::DownloadThread() {
  multi_.reset(curl_multi_init());
  thread_ = std::thread(&DownloadThread::vmsdk_http_multi_loop, this);
}

DownloadThread::~DownloadThread() {
  running_ = false;
  {
    std::lock_guard<std::mutex> hold(incoming_lock_);
    if (multi_) curl_multi_wakeup(multi_.get());
  }
  if (thread_.joinable()) thread_.join();
  for (auto& entry : active_) curl_multi_remove_handle(multi_.get(), entry.first);
  active_.clear();
  incoming_.clear();
  multi_.reset();
}

void DownloadThread::push(std::shared_ptr<BufferData> request) {
  std::lock_guard<std::mutex> hold(incoming_lock_);
  incoming_.push_back(std::move(request));
  ++load_;
  if (multi_) curl_multi_wakeup(multi_.get());
}

void DownloadThread::wake() {
  std::lock_guard<std::mutex> hold(incoming_lock_);
  if (multi_) curl_multi_wakeup(multi_.get());
}

void DownloadThread::addWaiting() {
  std::vector<std::shared_ptr<BufferData>> waiting;
  {
    std::lock_guard<std::mutex> hold(incoming_lock_);
    waiting.swap(incoming_);
  }
  for (auto& request : waiting) {
    CURL* easy = request->easy.get();
    CURLMcode added = multi_ ? curl_multi_add_handle(multi_.get(), easy) : CURLM_INTERNAL_ERROR;
    if (added != CURLM_OK) {
      std::snprintf(request->errorText, sizeof request->errorText, "curl_multi_add_handle: %s",
                    curl_multi_strerror(added));
      request->complete(CURLE_FAILED_INIT);
      --load_;
      continue;
    }
    active_.emplace(easy, std::move(request));
  }
}

void DownloadThread::completeFinished() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    CURL* easy = message->easy_handle;
    CURLcode result = message->data.result;
    curl_multi_remove_handle(multi_.get(), easy);
    auto found = active_.find(easy);
    if (found == active_.end()) continue;
    std::shared_ptr<BufferData> request = std::move(found->second);
    active_.erase(found);
    request->complete(result);
    --load_;
  }
}

void DownloadThread::restartContext(CURLMcode error) {
  vemo_debug_printf("curl error, restart context!");
  std::unordered_map<CURL*, std::shared_ptr<BufferData>> dropped;
  dropped.swap(active_);
  {
    std::lock_guard<std::mutex> hold(incoming_lock_);
    for (auto& entry : dropped) curl_multi_remove_handle(multi_.get(), entry.first);
    multi_.reset(curl_multi_init());
  }
  for (auto& entry : dropped) {
    std::snprintf(entry.second->errorText, sizeof entry.second->errorText, "transfer dropped: %s",
                  curl_multi_strerror(error));
    entry.second->complete(CURLE_RECV_ERROR);
    --load_;
  }
}

void DownloadThread::vmsdk_http_multi_loop() {
  while (running_) {
    if (!multi_) {
      Sleep(kBusyWaitMs);
      std::lock_guard<std::mutex> hold(incoming_lock_);
      multi_.reset(curl_multi_init());
      continue;
    }
    addWaiting();
    int still_running = 0;
    CURLMcode performed = curl_multi_perform(multi_.get(), &still_running);
    completeFinished();
    int64_t now = static_cast<int64_t>(GetTickCount64());
    for (auto& entry : active_) entry.second->onLoopPass(now);
    CURLMcode waited = performed != CURLM_OK
                           ? performed
                           : curl_multi_poll(multi_.get(), nullptr, 0, active_.empty() ? kIdleWaitMs : kBusyWaitMs, nullptr);
    if (waited != CURLM_OK && running_) restartContext(waited);
  }
}

}  // namespace VemoSDKHttp
