#include "core/stack_room.h"

#include <windows.h>

namespace VemoSDK {

bool StackRoom::enough() {
  volatile char here = 0;
  const uintptr_t frame = reinterpret_cast<uintptr_t>(&here);
  if (!measured_) {
    measured_ = true;
    // A thread's stack is one reservation: its base is the lowest address
    // the stack can grow down to.
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(const_cast<char*>(&here), &region, sizeof region) == sizeof region && region.AllocationBase) {
      floor_ = reinterpret_cast<uintptr_t>(region.AllocationBase) + reserve_;
    }
  }
  return !floor_ || frame > floor_;
}

}  // namespace VemoSDK
