#include "http/sdk_pool.h"

#include <windows.h>

#include <memory>

namespace VemoSDKHttp {
namespace {

VOID CALLBACK run_pool_job(PTP_CALLBACK_INSTANCE, PVOID context) {
  std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(context));
  (*job)();
}

}  // namespace

// TODO(jsonpool): submit to the SDK's CThreadPool once it is on main; until
// then the process's default pool runs the job.
bool submit_to_sdk_pool(std::function<void()> job) {
  auto copy = std::make_unique<std::function<void()>>(std::move(job));
  if (!TrySubmitThreadpoolCallback(run_pool_job, copy.get(), nullptr)) return false;
  copy.release();
  return true;
}

}  // namespace VemoSDKHttp
