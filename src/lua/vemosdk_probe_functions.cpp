#include "lua/vemosdk_probe_functions.h"

#include <windows.h>

#include <lua.hpp>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "core/keystore/device_id.h"
#include "core/owners.h"
#include "crash/probes/machine_identity.h"
#include "crash/probes/system_probes.h"
#include "vendor/vendor_security.h"

namespace VemoSDK::LuaProbes {

namespace {

void pushString(lua_State* L, const std::string& text) { lua_pushlstring(L, text.data(), text.size()); }

// A probe that could not read the system gives nil.
int pushProbe(lua_State* L, const std::optional<std::string>& text) {
  if (text) pushString(L, *text);
  else lua_pushnil(L);
  return 1;
}

int pushNumber(lua_State* L, std::uint64_t value) {
  lua_pushnumber(L, static_cast<lua_Number>(value));
  return 1;
}

// A malloc'd text, freed once pushed; nil for null.
void pushOwned(lua_State* L, char* text) {
  vemo::MallocPtr<char> owned(text);
  if (text) lua_pushstring(L, text);
  else lua_pushnil(L);
}

}  // namespace

int sysinfo(lua_State* L) {
  lua_createtable(L, 0, 5);
  pushString(L, vmsdk_get_mac_addr());
  lua_setfield(L, -2, "mac");
  pushString(L, vmsdk_get_device_id());
  lua_setfield(L, -2, "device_id");
  // From the security DLL; nil without one.
  pushOwned(L, vmsdk_security_get_token());
  lua_setfield(L, -2, "security_token");
  pushOwned(L, vmsdk_security_get_mw());
  lua_setfield(L, -2, "mw");
  lua_pushinteger(L, static_cast<lua_Integer>(GetCurrentProcessId()));
  lua_setfield(L, -2, "pc_process_id");
  return 1;
}

int sysinfoIdfa(lua_State* L) {
  pushString(L, vmsdk_get_device_id());
  return 1;
}

int osVersion(lua_State* L) { return pushProbe(L, vmsdk_get_os_version()); }

int memorySize(lua_State* L) {
  lua_createtable(L, 0, 1);
  lua_pushnumber(L, static_cast<lua_Number>(vmsdk_get_memory_size()));
  lua_setfield(L, -2, "Total");
  return 1;
}

int country(lua_State* L) { return pushProbe(L, vmsdk_get_country()); }

int language(lua_State* L) { return pushProbe(L, vmsdk_get_language()); }

int diskSize(lua_State* L) { return pushNumber(L, vmsdk_get_disk_size()); }

int installTime(lua_State* L) { return pushNumber(L, vmsdk_get_install_time()); }

int updateTime(lua_State* L) { return pushNumber(L, vmsdk_get_update_time()); }

int ipAddr(lua_State* L) { return pushProbe(L, vmsdk_get_ip_addr()); }

int appVersionName(lua_State* L) { return pushProbe(L, vmsdk_get_app_version_name()); }

int timeZone(lua_State* L) {
  pushString(L, vmsdk_get_time_zone());
  return 1;
}

}  // namespace VemoSDK::LuaProbes
