#include "lua/vemosdk_system_functions.h"

#include <windows.h>

#include <lua.hpp>

#include "core/sdk_runtime.h"
#include "lua/run_key.h"

namespace VemoSDK::LuaSystem {

namespace {

// The host window when it is still a window, else null.
HWND hostWindow() {
  HWND window = vmsdk_get_main_hwnd();
  return window && IsWindow(window) ? window : nullptr;
}

void setNumber(lua_State* L, const char* key, double value) {
  lua_pushnumber(L, value);
  lua_setfield(L, -2, key);
}

}  // namespace

int memoryInfo(lua_State* L) {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  GlobalMemoryStatusEx(&status);
  lua_createtable(L, 0, 9);
  setNumber(L, "TotalPhys", static_cast<double>(status.ullTotalPhys));
  setNumber(L, "TotalVirtual", static_cast<double>(status.ullTotalVirtual));
  setNumber(L, "AvailPhys", static_cast<double>(status.ullAvailPhys));
  setNumber(L, "AvailVirtual", static_cast<double>(status.ullAvailVirtual));
  setNumber(L, "TotalPageFile", static_cast<double>(status.ullTotalPageFile));
  setNumber(L, "AvailPageFile", static_cast<double>(status.ullAvailPageFile));
  setNumber(L, "AvailExtendedVirtual", static_cast<double>(status.ullAvailExtendedVirtual));
  setNumber(L, "Length", status.dwLength);
  setNumber(L, "MemoryLoad", status.dwMemoryLoad);
  return 1;
}

int screenWidth(lua_State* L) {
  lua_pushnumber(L, GetSystemMetrics(SM_CXSCREEN));
  return 1;
}

int screenHeight(lua_State* L) {
  lua_pushnumber(L, GetSystemMetrics(SM_CYSCREEN));
  return 1;
}

int windowSize(lua_State* L) {
  RECT client = {};
  HWND window = hostWindow();
  if (!window || !GetClientRect(window, &client)) {
    lua_pushnumber(L, -1);
    lua_pushnumber(L, -1);
    return 2;
  }
  lua_pushnumber(L, client.right - client.left);
  lua_pushnumber(L, client.bottom - client.top);
  return 2;
}

int windowMinimize(lua_State*) {
  if (HWND window = hostWindow()) CloseWindow(window);
  return 0;
}

int switchToGame(lua_State* L) {
  HWND window = hostWindow();
  if (window) {
    SwitchToThisWindow(window, TRUE);
    // Through the top-most band and back: the window ends in front of the
    // others without staying above them.
    constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
  }
  lua_pushboolean(L, window != nullptr);
  return 1;
}

int readRegKey(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  luaL_checkstring(L, 2);  // required by the interface, not used
  lua_pushboolean(L, run_value_read(name));
  return 1;
}

int saveRegKey(lua_State* L) {
  const char* name = luaL_checkstring(L, 1);
  const char* path = luaL_checkstring(L, 2);
  lua_pushboolean(L, run_value_save(name, path));
  return 1;
}

int removeRegKey(lua_State* L) {
  lua_pushboolean(L, run_value_remove(luaL_checkstring(L, 1)));
  return 1;
}

}  // namespace VemoSDK::LuaSystem
