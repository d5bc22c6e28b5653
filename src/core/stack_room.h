#pragma once
// How much of the calling thread's stack is left, for code whose recursion
// depth the input decides (nested JSON from scripts or the network). Such
// code stops with its own error before the thread dies of a stack overflow.
#include <cstddef>
#include <cstdint>

namespace VemoSDK {

// Used on the thread that made it.
class StackRoom {
public:
  // `reserve` bytes at the far end of the stack are kept for the code that
  // reports running out (error texts, Lua's error unwinding).
  explicit StackRoom(size_t reserve = kDefaultReserve) : reserve_(reserve) {}

  // True while the caller's frame lies more than `reserve` bytes above the
  // end of the stack (always true when the stack cannot be measured). The
  // first call measures the stack, a system call: callers ask only once
  // their recursion has gone deep.
  bool enough();

  static constexpr size_t kDefaultReserve = 128 * 1024;

private:
  size_t reserve_;
  bool measured_ = false;
  uintptr_t floor_ = 0;  // 0: not known
};

}  // namespace VemoSDK
