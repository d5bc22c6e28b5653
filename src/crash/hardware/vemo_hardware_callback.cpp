#include "crash/hardware/vemo_hardware_callback.h"

#include <cjson/cJSON.h>

#include <memory>
#include <string>

#include "core/lua_task_queue.h"
#include "core/owners.h"

namespace VemoSDK {

namespace {

vemo::JsonPtr succeeded() {
  vemo::JsonPtr answer(cJSON_CreateObject());
  cJSON_AddTrueToObject(answer.get(), "succ");
  return answer;
}

void post(std::int64_t id, const vemo::JsonPtr& answer) {
  // The queue takes malloc'd text; cJSON allocates with malloc.
  char* text = answer ? cJSON_PrintUnformatted(answer.get()) : nullptr;
  LuaTaskQueue::getInstance()->postAsyncCall(id, text, nullptr, 0);
}

}  // namespace

void VemoHardwareCallback::onCpuInfo(const CpuInfo& info) {
  vemo::JsonPtr answer = succeeded();
  cJSON_AddStringToObject(answer.get(), "model", info.name.c_str());
  cJSON_AddNumberToObject(answer.get(), "core_num", info.core_count);
  cJSON_AddNumberToObject(answer.get(), "max_freq", info.max_clock_mhz);
  post(callback_id_, answer);
}

void VemoHardwareCallback::onCpuUsage(const CpuUsageProbe& probe) {
  vemo::JsonPtr answer = succeeded();
  cJSON_AddNumberToObject(answer.get(), "cores", probe.processor_count);
  cJSON_AddNumberToObject(answer.get(), "usage", probe.usage);
  cJSON_AddNumberToObject(answer.get(), "usage_solaris_mode", probe.per_processor_usage);
  post(callback_id_, answer);
}

void VemoHardwareCallback::onLaunchTime(std::int64_t ms) {
  vemo::JsonPtr answer = succeeded();
  cJSON_AddNumberToObject(answer.get(), "launch_time", static_cast<double>(ms));
  post(callback_id_, answer);
}

void VemoHardwareCallback::onFrameRate(int hertz) {
  vemo::JsonPtr answer(cJSON_CreateObject());
  cJSON_AddNumberToObject(answer.get(), "frame_rate_max", hertz);
  post(callback_id_, answer);
}

void VemoHardwareCallback::onNetworkState(int state) {
  vemo::JsonPtr answer = succeeded();
  cJSON_AddNumberToObject(answer.get(), "state", state);
  post(callback_id_, answer);
}

void VemoHardwareCallback::onMemoryInfo(const MemoryUsage& usage) {
  vemo::JsonPtr answer = succeeded();
  cJSON_AddNumberToObject(answer.get(), "appPSS", static_cast<double>(usage.working_set_bytes));
  cJSON_AddNumberToObject(answer.get(), "VmRSS", static_cast<double>(usage.pagefile_bytes));
  post(callback_id_, answer);
}

void VemoHardwareCallback::onGpuInfo(const std::vector<GpuInfo>& gpus) {
  vemo::JsonPtr answer = succeeded();
  cJSON* list = cJSON_AddArrayToObject(answer.get(), "gpus");
  for (const GpuInfo& gpu : gpus) {
    cJSON* item = cJSON_CreateObject();
    cJSON_AddStringToObject(item, "model", gpu.model.c_str());
    cJSON_AddStringToObject(item, "vendor", gpu.vendor.c_str());
    cJSON_AddNumberToObject(item, "availability", gpu.availability);
    cJSON_AddNumberToObject(item, "memory", static_cast<double>(gpu.memory));
    cJSON_AddStringToObject(item, "driver_version", gpu.driver_version.c_str());
    cJSON_AddItemToArray(list, item);
  }
  post(callback_id_, answer);
}

void VemoHardwareCallback::onComputerInfo(const ComputerInfo& info) {
  vemo::JsonPtr answer = succeeded();
  cJSON_AddStringToObject(answer.get(), "model", info.model.c_str());
  cJSON_AddStringToObject(answer.get(), "manufacturer", info.manufacturer.c_str());
  post(callback_id_, answer);
}

void VemoHardwareCallback::onError(const HardwareError& error) {
  vemo::JsonPtr answer(cJSON_CreateObject());
  cJSON_AddFalseToObject(answer.get(), "succ");
  cJSON_AddNumberToObject(answer.get(), "code", error.code);
  cJSON_AddStringToObject(answer.get(), "message", error.message.c_str());
  post(callback_id_, answer);
}

void VemoHardwareCallback::onDiskInfo(const std::vector<DriveSpace>& drives) {
  vemo::JsonPtr answer = succeeded();
  cJSON* list = cJSON_AddArrayToObject(answer.get(), "disk_info_list");
  for (const DriveSpace& drive : drives) {
    cJSON* item = cJSON_CreateObject();
    const char letter[2] = {drive.letter, '\0'};
    cJSON_AddStringToObject(item, "disk_symbol", letter);
    cJSON_AddNumberToObject(item, "total_size", static_cast<double>(drive.total_bytes));
    cJSON_AddNumberToObject(item, "free_size", static_cast<double>(drive.free_bytes));
    cJSON_AddNumberToObject(item, "free_to_caller_size", static_cast<double>(drive.free_to_caller_bytes));
    cJSON_AddItemToArray(list, item);
  }
  post(callback_id_, answer);
}

}  // namespace VemoSDK
