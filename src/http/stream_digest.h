#pragma once
// The MD5 of a download computed from its bytes as they are written, on the
// check threads: a large file is hashed while it arrives instead of being
// read back afterwards. Steps of one digest run one at a time, in the order
// they were given. The download thread feeds; the result goes to finish's
// callback on a check thread.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/md5.h"
#include "http/worker_threads.h"

namespace VemoSDKHttp {

class StreamDigest : public std::enable_shared_from_this<StreamDigest> {
public:
  // wake: called (on a check thread) when a writer that waits for the
  // digest to catch up may go on.
  StreamDigest(WorkerThreads& workers, std::function<void()> wake);

  // The next bytes of the file, in order.
  void feed(std::vector<char> block);
  // The first `length` bytes of the file at path, read from disk: the part a
  // resumed download already holds, hashed before what arrives after it.
  void feedFromFile(const std::wstring& path, int64_t length);
  // The file is written from byte 0 again.
  void restart();
  // After every block fed so far: `then` with the 32 lowercase hex digits,
  // or "" when a part could not be read from disk.
  void finish(std::function<void(const std::string& md5)> then);
  // A block a step has hashed, kept for the writer's next one (empty when
  // none is free): a long download reuses a few blocks instead of asking
  // the system for fresh memory every megabyte.
  std::vector<char> spareBlock();
  // Whether the writer should wait: more than `limit` bytes are not hashed
  // yet, or it waits already and more than `resume_at` are. A true answer
  // arranges the wake call for when the backlog is down to `resume_at`, so
  // a writer that outruns the digest pauses once per (limit - resume_at)
  // bytes, not once per block. Called by the writer only.
  bool behind(size_t limit, size_t resume_at);

private:
  static constexpr int kStepsPerTurn = 4;
  void post(std::function<void()> step);
  void drain();
  // After a step has hashed `length` bytes: wakes a waiting writer.
  void hashed(size_t length);

  WorkerThreads& workers_;
  std::mutex lock_;
  std::deque<std::function<void()>> steps_;
  bool draining_ = false;
  std::vector<std::vector<char>> spares_;  // hashed blocks, under lock_
  const std::function<void()> wake_;
  std::atomic<size_t> backlog_{0};  // bytes fed and not hashed yet
  std::atomic<size_t> wake_below_{0};  // 0: nobody waits
  bool holding_ = false;  // the writer's: its last behind() answered true
  VemoMd5Context context_;  // used by one step at a time
  bool failed_ = false;  // likewise
};

}  // namespace VemoSDKHttp
