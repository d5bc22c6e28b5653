#include "sdk/native_call_task.h"

#include <lua.hpp>

#include <memory>
#include <new>
#include <utility>

#include "core/debug_log.h"
#include "core/json_object.h"
#include "core/lua_task_queue.h"
#include "lua/sdk_modules.h"

namespace VemoSDK::NativeRuntime {

int LuaNativeCallTask::push(lua_State* L) {
  int top = lua_gettop(L);
  lua_pushstring(L, "FOREIGN_NATIVE_CALL");
  lua_pushstring(L, module_);
  lua_pushstring(L, function_);
  int count = pushArgs(L);
  if (count < 0) {
    lua_settop(L, top);
    vemo_debug_printf("native call %s.%s dropped: an argument did not decode\n", module_, function_);
    return 0;
  }
  return count + 3;
}

}  // namespace VemoSDK::NativeRuntime

namespace {

void pushTextOrNil(lua_State* L, const std::string& text) {
  if (text.empty()) lua_pushnil(L);
  else lua_pushlstring(L, text.data(), text.size());
}

bool decodeInto(lua_State* L, const std::string& json) { return decode_json_into_lua(L, json.data(), json.size()); }

std::string textOf(const char* text) { return text ? text : ""; }

bool postTask(std::unique_ptr<VemoSDK::LuaTask> task) {
  LuaTaskQueue::getInstance()->pushTask(task.release());
  return true;
}

// What an object prints as, "{}" when there is none to print.
std::string printedOrEmpty(const JsonObject* object) {
  std::string text = object ? object->print() : "";
  return text.empty() ? "{}" : text;
}

}  // namespace

namespace VemoSDK::Game {

GameStatActionTask::GameStatActionTask(std::string first, std::string second, int flag, std::string json)
    : LuaNativeCallTask("vemosdk_stat", "stat_action"),
      first_(std::move(first)),
      second_(std::move(second)),
      flag_(flag),
      json_(std::move(json)) {}

int GameStatActionTask::pushArgs(lua_State* L) {
  pushTextOrNil(L, first_);
  pushTextOrNil(L, second_);
  lua_pushboolean(L, flag_);
  if (!decodeInto(L, json_)) return -1;
  return 4;
}

}  // namespace VemoSDK::Game

namespace VemoSDK::Stat {

StatCommitEventTask::StatCommitEventTask(std::string event, std::string labels, std::string stats)
    : LuaNativeCallTask("vendors.jf", "commit_event"),
      event_(std::move(event)),
      labels_(std::move(labels)),
      stats_(std::move(stats)) {}

int StatCommitEventTask::pushArgs(lua_State* L) {
  pushTextOrNil(L, event_);
  if (!decodeInto(L, labels_) || !decodeInto(L, stats_)) return -1;
  return 3;
}

}  // namespace VemoSDK::Stat

bool decode_json_into_lua(lua_State* L, const char* json, size_t length) {
  int top = lua_gettop(L);
  if (!lua_checkstack(L, 3)) return false;
  if (lua_getfield(L, LUA_REGISTRYINDEX, VemoSDK::kCallbackRegistryKey) != LUA_TTABLE) {
    lua_settop(L, top);
    return false;
  }
  lua_getfield(L, -1, "FOREIGN_JSON_DECODE");
  lua_remove(L, -2);
  lua_pushlstring(L, json ? json : "", json ? length : 0);
  // A missing decoder fails the call too: calling nil is an error.
  if (lua_pcall(L, 1, 1, 0) != LUA_OK) {
    lua_settop(L, top);
    return false;
  }
  return true;
}

bool post_stat_action(const char* first, const char* second, int flag, const char* json) {
  try {
    return postTask(
        std::make_unique<VemoSDK::Game::GameStatActionTask>(textOf(first), textOf(second), flag, textOf(json)));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool post_commit_event(const char* event, const char* labels, const char* stats) {
  try {
    return postTask(std::make_unique<VemoSDK::Stat::StatCommitEventTask>(textOf(event), textOf(labels), textOf(stats)));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool post_stat_event(const char* event, const char* action, JsonObject* stats, int upload_mode) {
  try {
    if (stats) stats->addString("action", action);
    JsonObject labels;
    labels.create();
    if (upload_mode == kStatUploadNow) labels.addBool("is_upload_now", true);
    else if (upload_mode == kStatUploadLater) labels.addBool("is_upload_now", false);
    // A missing object is sent as an empty one, which decodes; "" would not.
    return post_commit_event(event, printedOrEmpty(&labels).c_str(), printedOrEmpty(stats).c_str());
  } catch (const std::bad_alloc&) {
    return false;
  }
}
