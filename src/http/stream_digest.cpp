#include "http/stream_digest.h"

#include <windows.h>

#include <algorithm>

#include "core/owners.h"
#include "core/string_utils.h"

namespace VemoSDKHttp {

StreamDigest::StreamDigest(WorkerThreads& workers, std::function<void()> wake)
    : workers_(workers), wake_(std::move(wake)) {
  vemo_md5_init(&context_);
}

bool StreamDigest::behind(size_t limit, size_t resume_at) {
  if (backlog_ <= (holding_ ? resume_at : limit)) {
    holding_ = false;
    return false;
  }
  wake_below_ = resume_at + 1;
  // The digest may have caught up meanwhile: look again after asking for the call.
  if (backlog_ <= resume_at) {
    wake_below_ = 0;
    holding_ = false;
    return false;
  }
  holding_ = true;
  return true;
}

void StreamDigest::feed(std::vector<char> block) {
  backlog_ += block.size();
  auto bytes = std::make_shared<std::vector<char>>(std::move(block));
  post([this, bytes] {
    vemo_md5_update(&context_, bytes->data(), bytes->size());
    size_t length = bytes->size();
    bytes->clear();
    {
      std::lock_guard<std::mutex> hold(lock_);
      spares_.push_back(std::move(*bytes));
    }
    hashed(length);
  });
}

std::vector<char> StreamDigest::spareBlock() {
  std::lock_guard<std::mutex> hold(lock_);
  if (spares_.empty()) return {};
  std::vector<char> block = std::move(spares_.back());
  spares_.pop_back();
  return block;
}

void StreamDigest::hashed(size_t length) {
  size_t left = backlog_ -= length;
  size_t below = wake_below_;
  if (below != 0 && left < below && wake_below_.exchange(0) != 0 && wake_) wake_();
}

void StreamDigest::feedFromFile(const std::wstring& path, int64_t length) {
  // Counted as one byte: the part on disk holds no memory while it waits.
  ++backlog_;
  post([this, path, length] {
    // Shared with the download's own handle, which writes past `length` only.
    vemo::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    std::vector<char> chunk(1 << 20);
    int64_t left = length;
    while (file && left > 0) {
      DWORD got = 0;
      DWORD want = static_cast<DWORD>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
      if (!ReadFile(file.get(), chunk.data(), want, &got, nullptr) || got == 0) break;
      vemo_md5_update(&context_, chunk.data(), got);
      left -= got;
    }
    if (left > 0) failed_ = true;
    hashed(1);
  });
}

void StreamDigest::restart() {
  post([this] {
    vemo_md5_init(&context_);
    failed_ = false;
  });
}

void StreamDigest::finish(std::function<void(const std::string& md5)> then) {
  post([this, then = std::move(then)] {
    {
      std::lock_guard<std::mutex> hold(lock_);
      spares_.clear();
      spares_.shrink_to_fit();
    }
    unsigned char digest[16];
    vemo_md5_finish(&context_, digest);
    then(failed_ ? std::string() : to_hex_string(digest, sizeof digest));
  });
}

void StreamDigest::post(std::function<void()> step) {
  std::lock_guard<std::mutex> hold(lock_);
  steps_.push_back(std::move(step));
  if (draining_) return;
  draining_ = true;
  workers_.post([self = shared_from_this()] { self->drain(); });
}

void StreamDigest::drain() {
  // A few steps per turn, then to the back of the queue: the check threads
  // stay shared fairly between files.
  for (int turn = 0; turn < kStepsPerTurn; ++turn) {
    std::function<void()> step;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (steps_.empty()) {
        draining_ = false;
        return;
      }
      step = std::move(steps_.front());
      steps_.pop_front();
    }
    step();
  }
  workers_.post([self = shared_from_this()] { self->drain(); });
}

}  // namespace VemoSDKHttp
