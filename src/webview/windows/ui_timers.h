#pragma once
// One-shot work on the calling thread's message loop: a thread timer (no
// window of its own, so it outlives any window) whose work runs once on the
// thread that armed it. Work can be cancelled by its owner, so a window
// being destroyed takes its pending work with it.
#include <windows.h>

#include <functional>

namespace VemoSDK::UiTimers {

// 0 when the timer could not be made (the work is then dropped).
UINT_PTR once(UINT delayMs, const void* owner, std::function<void()> work);
void cancel(UINT_PTR id);
void cancelOwner(const void* owner);
// Armed and not yet run, for the owner.
int pendingFor(const void* owner);

}  // namespace VemoSDK::UiTimers
