#include "core/sdk_runtime.h"

#include <atomic>

#include "core/debug_log.h"

namespace {

std::atomic<HWND> g_main_window{nullptr};
std::atomic<vemosdk_main_thread_handler> g_main_thread_handler{nullptr};
std::atomic<lua_State*> g_owned_state{nullptr};
std::atomic<int> g_tick_mode{0};

}  // namespace

HWND vmsdk_get_main_hwnd() { return g_main_window.load(); }
void vmsdk_set_main_hwnd(HWND window) { g_main_window.store(window); }

vemosdk_main_thread_handler vemosdk_get_main_thread_handler() { return g_main_thread_handler.load(); }

namespace VemoSDK {

void setMainThreadHandler(vemosdk_main_thread_handler handler) { g_main_thread_handler.store(handler); }

lua_State* ownedLuaState() { return g_owned_state.load(); }
void setOwnedLuaState(lua_State* L) { g_owned_state.store(L); }

int tickMode() { return g_tick_mode.load(); }
void setTickMode(int mode) { g_tick_mode.store(mode); }

int isPassiveMode() {
  int passive = tickMode() == 0 ? 1 : 0;
  vemo_debug_printf("vemosdk_is_passive_mode: %d\n", passive);
  return passive;
}

}  // namespace VemoSDK
