#include "webview/window_work.h"

#include "core/sdk_runtime.h"

#include <memory>

namespace VemoSDK {
namespace {

void runJob(void* argument) {
  std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(argument));
  (*job)();
}

}  // namespace

void runWindowWork(std::function<void()> work) {
  vemosdk_main_thread_handler handler = vemosdk_get_main_thread_handler();
  if (!handler) {
    work();
    return;
  }
  handler(runJob, new std::function<void()>(std::move(work)));  // the job frees itself when run
}

}  // namespace VemoSDK
