#include "http/update_priority_task.h"

#include "core/debug_log.h"
#include "http/http_manager.h"

UpdatePriorityTask::UpdatePriorityTask(HttpManager& manager, const cJSON* task_priorities)
    : manager_(manager), priorities_(task_priorities ? cJSON_Duplicate(task_priorities, 1) : cJSON_CreateObject()) {
  vemo_debug_printf("UpdatePriorityTask inside map size:%d, outside size:%d", cJSON_GetArraySize(priorities_.get()),
                    cJSON_GetArraySize(task_priorities));
}

void UpdatePriorityTask::run() { manager_.vmsdk_update_download_priority_in_thread(priorities_.get()); }
