#include "lua/vemosdk_hardware_functions.h"

#include <lua.hpp>

#include <cstdint>

#include "crash/hardware/hardware_entries.h"

namespace VemoSDK::LuaHardware {

namespace {

using Entry = void (*)(std::int64_t callback_id, int context);

int ask(lua_State* L, Entry entry) {
  entry(static_cast<std::int64_t>(luaL_checkinteger(L, 1)), 0);
  return 0;
}

}  // namespace

int cpuUsage(lua_State* L) { return ask(L, vmsdk_sysinfo_cpu_usage); }
int memory(lua_State* L) { return ask(L, vmsdk_sysinfo_memory); }
int launchTime(lua_State* L) { return ask(L, vmsdk_sysinfo_launch_time); }
int screenRefreshRate(lua_State* L) { return ask(L, vmsdk_get_screen_refresh_rate); }
int cpuInfo(lua_State* L) { return ask(L, vmsdk_get_cpu_info_async); }
int gpuInfo(lua_State* L) { return ask(L, vmsdk_get_gpu_info_async); }
int computerInfo(lua_State* L) { return ask(L, vmsdk_get_computer_info_async); }
int diskInfo(lua_State* L) { return ask(L, vmsdk_get_disk_info_async); }

int networkCurrentState(lua_State* L) {
  ask(L, vmsdk_network_current_state);
  lua_settop(L, 1);
  return 1;
}

}  // namespace VemoSDK::LuaHardware
