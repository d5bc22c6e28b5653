#include "crash/hardware/hardware_entries.h"

#include <memory>

#include "core/thread_pool.h"
#include "crash/hardware/hardware_info.h"
#include "crash/hardware/vemo_hardware_callback.h"

namespace VemoSDK {

namespace {

using Query = void (HardwareInfo::*)(HardwareCallbackPtr);

void ask(Query query, std::int64_t callback_id, int context) {
  (HardwareInfo::getInstance()->*query)(std::make_unique<VemoHardwareCallback>(callback_id, context));
}

}  // namespace

void vmsdk_get_computer_info_async(std::int64_t id, int context) { ask(&HardwareInfo::queryComputerInfo, id, context); }
void vmsdk_get_cpu_info_async(std::int64_t id, int context) { ask(&HardwareInfo::queryCpuInfo, id, context); }
void vmsdk_sysinfo_cpu_usage(std::int64_t id, int context) { ask(&HardwareInfo::queryCpuUsage, id, context); }
void vmsdk_get_disk_info_async(std::int64_t id, int context) { ask(&HardwareInfo::queryDiskInfo, id, context); }
void vmsdk_get_gpu_info_async(std::int64_t id, int context) { ask(&HardwareInfo::queryGpuInfo, id, context); }
void vmsdk_sysinfo_launch_time(std::int64_t id, int context) { ask(&HardwareInfo::queryLaunchTime, id, context); }
void vmsdk_sysinfo_memory(std::int64_t id, int context) { ask(&HardwareInfo::queryMemory, id, context); }
void vmsdk_get_screen_refresh_rate(std::int64_t id, int context) { ask(&HardwareInfo::queryRefreshRate, id, context); }

void vmsdk_network_current_state(std::int64_t id, int context) {
  ThreadPoolWrappers::CThreadPool* pool = vemosdk_get_thread_pool();
  if (pool && pool->submit([id, context] { ask(&HardwareInfo::queryNetworkState, id, context); })) return;
  ask(&HardwareInfo::queryNetworkState, id, context);  // no pool: answered here, still once
}

int hardware_network_state() { return HardwareInfo::getInstance()->getNetworkState(); }

}  // namespace VemoSDK
