#pragma once
// The loading overlay's animation: one drawing thread per running overlay,
// which paints the frames in turn, every 30 ms, stretched over the window's
// client area until the overlay clears the shared flag.
#include <windows.h>

#include <atomic>
#include <memory>

namespace VemoSDK {

// Set to false by the overlay to stop; the thread keeps its own reference,
// so the flag outlives whichever of the two ends last.
using LoadingRunFlag = std::shared_ptr<std::atomic<bool>>;

// False when the thread could not be started.
bool startLoadingAnimation(HWND window, LoadingRunFlag running);

}  // namespace VemoSDK
