#include "core/owners/system.h"

#include <objbase.h>

namespace vemo {

void CoTaskFreer::operator()(void* memory) const { CoTaskMemFree(memory); }

}  // namespace vemo
