#pragma once
// A change of download priorities, applied on the SDK thread pool.
#include <cjson/cJSON.h>

#include "core/owners.h"

class HttpManager;

namespace VemoSDK::Multitask {

// A unit of work run once on a pool thread.
class Task {
public:
  virtual ~Task() = default;
  virtual void run() = 0;
};

}  // namespace VemoSDK::Multitask

// Holds its own copy of the task id -> priority object.
class UpdatePriorityTask final : public VemoSDK::Multitask::Task {
public:
  UpdatePriorityTask(HttpManager& manager, const cJSON* task_priorities);
  void run() override;

private:
  HttpManager& manager_;
  vemo::JsonPtr priorities_;
};
