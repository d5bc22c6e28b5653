#include "sdk/sdk_lifecycle.h"

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "core/lua_task_queue.h"
#include "core/owners.h"
#include "core/sdk_context.h"
#include "core/sdk_runtime.h"
#include "core/thread_pool.h"
#include "crash/crash_capture.h"
#include "crash/hardware/hardware_entries.h"
#include "crash/hardware/hardware_info.h"
#include "http/http.h"
#include "http/network_state.h"
#include "lua/sdk_modules.h"
#include "sdk/native_call_task.h"
#include "vendor/vendor_proxy.h"
#include "webview/webview_stat_sink.h"

#include <lua.hpp>

#include <cstdio>
#include <string>

namespace VemoSDK {

namespace {

constexpr char kNativeTickChunk[] = "local E = require 'vemosdk_lua.vemosdk' \nE.tick(false)";
constexpr char kLoaderScript[] = "vemosdk_lua\\vemosdk_loader.lua";

// Each step of start-up, in its order. Steps whose subsystem is not part of
// this build yet say so and do nothing.

// A host that installed its own crash callback before keeps it.
void startCrashCapture() {
  if (is_crash_handler_installed()) return;
  std::printf("sdk call set_crash_callback \n");
  set_crash_callback(nullptr);
}

// The first call creates the SDK pool (1 to 5 threads); later ones keep it.
void startThreadPool() { vemosdk_get_thread_pool(); }

// Threads that still hold the previous context keep their snapshot.
void buildContext(HWND window, const char* app_version, const char* init_args) {
  vemosdk_create_context(window, app_version, init_args);
}

// Selects Schannel and creates HttpManager, whose download thread starts at once.
void startHttp() { vmsdk_http_global_init(); }

// Starts the WMI queries on their own thread (once per process); from now on
// the download engine reads the real network state.
void startHardwareInfo() {
  HardwareInfo::getInstance()->init();
  VemoSDKHttp::set_network_state_source(hardware_network_state);
}

void ignoreVendorsDone(bool, int, std::string) {}

// Web view statistics records reach the scripts as stat commit events,
// with the network state the download engine reads.
void startWebViewStats() {
  setWebViewNetworkStateSource(VemoSDKHttp::current_network_state);
  setWebViewStatSink([](const char* event, const char* action, JsonObject* params) {
    return post_stat_event(event, action, params);
  });
}

// The built-in and plug-in vendors that the "sdks" entries name.
void vemosdk_init_vendors() {
  vemo_debug_printf("init_vendor begin");
  setVendorStatPoster(post_stat_action);
  VemoSDKContextPtr context = vemosdk_get_context();
  vemo::JsonPtr entries(sdk_infos_of(context ? context->config.get() : nullptr));
  if (!entries) {
    vemo_debug_printf("init_vendors skip, sdk config parse faild! Not a valid array");
    return;
  }
  VemoSDKProxy::getInstance()->init_vendors(entries.get(), ignoreVendorsDone);
}

void openLuaModules(lua_State* L) {
  lua_State* main_thread = mainThreadOf(L);
  LuaTaskQueue::getInstance();
  openSdkModules(main_thread);
  // The table of named callbacks filled by _vemosdk.register_cb; a new
  // start-up starts with an empty one.
  lua_newtable(main_thread);
  lua_setfield(main_thread, LUA_REGISTRYINDEX, kCallbackRegistryKey);
}

// The loader script of the SDK-owned state: read whole, run once.
void runLoaderScript(lua_State* L) {
  std::string text;
  if (!vemo_read_file(kLoaderScript, text)) {
    std::printf("erro msg = cannot read %s\n", kLoaderScript);
    return;
  }
  int top = lua_gettop(L);
  if (luaL_loadbuffer(L, text.data(), text.size(), kLoaderScript) != LUA_OK ||
      lua_pcall(L, 0, LUA_MULTRET, 0) != LUA_OK) {
    // A script may raise any value, not only a text.
    const char* message = lua_tostring(L, -1);
    if (!message) message = lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, -1));
    std::printf("erro msg = %s\n", message);
  }
  lua_settop(L, top);
}

}  // namespace

void initWithArgs(lua_State* L, HWND window, const char* app_version, const char* init_args) {
  // Other threads start posting inside the steps below (vendors, HTTP, WMI):
  // the queue they post to exists before any of them.
  LuaTaskQueue::getInstance();

  startCrashCapture();
  startThreadPool();
  vemo_debug_open_log_file();
  vmsdk_set_main_hwnd(window);
  buildContext(window, app_version, init_args);
  startHttp();
  startHardwareInfo();
  startWebViewStats();
  vemosdk_init_vendors();
  if (L) openLuaModules(L);
}

void initWithNative(HWND window, const char* app_version, const char* init_args) {
  lua_State* L = ownedLuaState();
  if (!L) {
    vemo_debug_printf("\n must call lua_State create function before call native init function!!!!!\n\n\n\ns");
    return;
  }
  setTickMode(0);
  initWithArgs(L, window, app_version, init_args);
  runLoaderScript(L);
}

void deinit() {
  setOwnedLuaState(nullptr);
  vemosdk_delete_thread_pool();  // pending timers never fire
  VemoSDKProxy::deleteInstance();  // each vendor gets beforeClear, then destroy
}

lua_State* createOwnedLuaState() {
  if (ownedLuaState()) {
    vemo_debug_printf("already have a lua_State, no need to recreate, return now.");
    return nullptr;
  }
  lua_State* L = luaL_newstate();
  if (!L) return nullptr;
  luaL_openlibs(L);
  setOwnedLuaState(L);
  return L;
}

int tickNative() {
  lua_State* L = ownedLuaState();
  if (!L) return -1;
  int top = lua_gettop(L);
  // The host loop goes on whatever the script does: errors are dropped.
  if (luaL_loadstring(L, kNativeTickChunk) == LUA_OK) lua_pcall(L, 0, 0, 0);
  lua_settop(L, top);
  return 0;
}

}  // namespace VemoSDK
