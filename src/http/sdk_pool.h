#pragma once
// Runs a job once on the SDK thread pool.
#include <functional>

namespace VemoSDKHttp {

// False when the pool could not take the job (the caller runs it itself).
bool submit_to_sdk_pool(std::function<void()> job);

}  // namespace VemoSDKHttp
