#pragma once
// The handlers registered for one event, with their tokens. Running them
// works on a copy, so a handler may add or remove handlers meanwhile; one
// removed during the run is not called after its removal.
#include <functional>
#include <utility>
#include <vector>

#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

template <class Args>
class EventHandlers {
public:
  using Handler = std::function<void(Args)>;

  void add(EventToken token, Handler handler) { entries_.emplace_back(token, std::move(handler)); }
  bool remove(EventToken token) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
      if (it->first == token) {
        entries_.erase(it);
        return true;
      }
    return false;
  }
  bool empty() const { return entries_.empty(); }
  void clear() { entries_.clear(); }

  template <class Value>
  void run(Value&& args) {
    const auto snapshot = entries_;
    for (const auto& entry : snapshot)
      if (contains(entry.first)) entry.second(args);
  }

private:
  bool contains(EventToken token) const {
    for (const auto& entry : entries_)
      if (entry.first == token) return true;
    return false;
  }
  std::vector<std::pair<EventToken, Handler>> entries_;
};

}  // namespace WebEngine
}  // namespace VemoSDK
