#pragma once
// Easy handles of finished downloads, kept for the next ones (at most 10, for
// at most 120 s). A handle comes out reset, so that no option of an earlier
// request (host check, TLS, verbose) leaks into the next. Any thread.
#include <cstdint>
#include <deque>
#include <mutex>

#include "core/owners.h"

namespace VemoSDKHttp {

class EasyHandlePool {
public:
  EasyHandlePool(size_t max_idle, int64_t max_age_ms) : max_idle_(max_idle), max_age_ms_(max_age_ms) {}

  // A kept handle younger than the maximum age, reset; else a new one (null
  // when libcurl cannot make one).
  vemo::CurlEasy take(int64_t now_ms);
  // Keeps a handle, dropping the oldest when the pool is full.
  void put(vemo::CurlEasy handle, int64_t now_ms);
  size_t idleCount() const;

private:
  struct Idle {
    vemo::CurlEasy handle;
    int64_t since_ms;
  };
  const size_t max_idle_;
  const int64_t max_age_ms_;
  mutable std::mutex lock_;
  std::deque<Idle> idle_;
};

}  // namespace VemoSDKHttp
