#pragma once
// A toast platform for tests: keeps the XML of every toast it is asked to
// show and lets the test play the user's part (click, dismiss, failure).
#include "3rd/wintoast/toast_platform.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vemo::test {

class RecordingToastPlatform final : public WinToastLib::ToastPlatform {
public:
  struct Shown {
    std::wstring aumid;
    std::wstring xml;
    int64_t expiration_ms = 0;
    std::shared_ptr<WinToastLib::ToastEvents> events;
    bool hidden = false;
    bool forgotten = false;
  };

  int show(const std::wstring& aumid, int64_t id, const std::wstring& xml, int64_t expiration_ms,
           std::shared_ptr<WinToastLib::ToastEvents> events) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (show_result != 0) return show_result;
    shown_[id] = {aumid, xml, expiration_ms, std::move(events)};
    last_id_ = id;
    return 0;
  }
  bool hide(int64_t id, HRESULT* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = shown_.find(id);
    if (found == shown_.end()) return false;
    found->second.hidden = true;
    if (error) *error = S_OK;
    return true;
  }
  void forget(int64_t id) override {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = shown_.find(id);
    if (found != shown_.end()) found->second.forgotten = true;
  }

  Shown shown(int64_t id) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = shown_.find(id);
    return found == shown_.end() ? Shown{} : found->second;
  }
  int64_t lastId() {
    std::lock_guard<std::mutex> guard(lock_);
    return last_id_;
  }
  // The user's part, from a thread of its own as the system's would be.
  void activate(int64_t id, const std::wstring* arguments) {
    run(id, [arguments](WinToastLib::ToastEvents& events) { events.activated(arguments); });
  }
  void dismiss(int64_t id, int reason) {
    run(id, [reason](WinToastLib::ToastEvents& events) { events.dismissed(reason); });
  }
  void fail(int64_t id) {
    run(id, [](WinToastLib::ToastEvents& events) { events.failed(); });
  }

  int show_result = 0;  // the code show() answers with; 0 shows

private:
  template <class F>
  void run(int64_t id, F event) {
    std::shared_ptr<WinToastLib::ToastEvents> events = shown(id).events;
    if (!events) return;
    std::thread([events, event] { event(*events); }).join();
  }

  std::mutex lock_;
  std::map<int64_t, Shown> shown_;  // guarded by lock_
  int64_t last_id_ = -1;            // guarded by lock_
};

}  // namespace vemo::test
