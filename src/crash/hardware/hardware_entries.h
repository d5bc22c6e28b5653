#pragma once
// The C entries the _vemosdk functions call: each answers its callback id
// once through the Lua task queue.
#include <cstdint>

namespace VemoSDK {

void vmsdk_get_computer_info_async(std::int64_t callback_id, int context);
void vmsdk_get_cpu_info_async(std::int64_t callback_id, int context);
void vmsdk_sysinfo_cpu_usage(std::int64_t callback_id, int context);
void vmsdk_get_disk_info_async(std::int64_t callback_id, int context);
void vmsdk_get_gpu_info_async(std::int64_t callback_id, int context);
void vmsdk_sysinfo_launch_time(std::int64_t callback_id, int context);
void vmsdk_sysinfo_memory(std::int64_t callback_id, int context);
void vmsdk_get_screen_refresh_rate(std::int64_t callback_id, int context);
// Measures on the SDK's thread pool, not on the calling thread.
void vmsdk_network_current_state(std::int64_t callback_id, int context);

// The state the download engine reads (1 means offline).
int hardware_network_state();

}  // namespace VemoSDK
