#include "webview/windows/ui_timers.h"

#include <iterator>
#include <map>
#include <mutex>
#include <utility>

namespace VemoSDK::UiTimers {
namespace {

struct Pending {
  const void* owner;
  std::function<void()> work;
};

// Thread timer ids are unique per thread only.
using Key = std::pair<DWORD, UINT_PTR>;

std::mutex& lock() {
  static std::mutex m;
  return m;
}
std::map<Key, Pending>& pending() {
  static std::map<Key, Pending> map;
  return map;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::function<void()> work;
  {
    std::lock_guard<std::mutex> hold(lock());
    auto found = pending().find(Key{GetCurrentThreadId(), id});
    if (found == pending().end()) return;
    work = std::move(found->second.work);
    pending().erase(found);
  }
  if (work) work();  // outside the lock: the work may arm or cancel timers
}

}  // namespace

UINT_PTR once(UINT delayMs, const void* owner, std::function<void()> work) {
  std::lock_guard<std::mutex> hold(lock());
  UINT_PTR id = SetTimer(nullptr, 0, delayMs, onTimer);
  if (id) pending()[Key{GetCurrentThreadId(), id}] = Pending{owner, std::move(work)};
  return id;
}

void cancel(UINT_PTR id) {
  std::lock_guard<std::mutex> hold(lock());
  if (pending().erase(Key{GetCurrentThreadId(), id})) KillTimer(nullptr, id);
}

void cancelOwner(const void* owner) {
  std::lock_guard<std::mutex> hold(lock());
  for (auto it = pending().begin(); it != pending().end();) {
    if (it->second.owner != owner) {
      ++it;
      continue;
    }
    if (it->first.first == GetCurrentThreadId()) KillTimer(nullptr, it->first.second);
    it = pending().erase(it);  // another thread's timer then fires and finds nothing
  }
}

int pendingFor(const void* owner) {
  std::lock_guard<std::mutex> hold(lock());
  int count = 0;
  for (const auto& entry : pending()) count += entry.second.owner == owner;
  return count;
}

}  // namespace VemoSDK::UiTimers
