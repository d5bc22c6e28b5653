#pragma once
// Tasks that ask Lua to run a function of a Lua module. Delivered by the
// tick as "FOREIGN_NATIVE_CALL", the module name, the function name and the
// task's own arguments; the scripts dispatch the call themselves. JSON
// arguments arrive as Lua values, decoded by the function the scripts
// register under "FOREIGN_JSON_DECODE".
#include <cstddef>
#include <string>

#include "core/lua_task.h"

class JsonObject;

namespace VemoSDK::NativeRuntime {

class LuaNativeCallTask : public LuaTask {
public:
  // module, function: borrowed texts that live as long as the process.
  LuaNativeCallTask(const char* module, const char* function) : module_(module), function_(function) {}

  // When an argument cannot be pushed, the stack is left as it was and 0 is
  // returned: the task delivers nothing and the tick moves on.
  int push(lua_State* L) final;

protected:
  // Pushes the task's own arguments; their count, or -1 on failure.
  virtual int pushArgs(lua_State* L) = 0;

private:
  const char* module_;
  const char* function_;
};

}  // namespace VemoSDK::NativeRuntime

namespace VemoSDK::Game {

// vemosdk_stat.stat_action(first, second, flag, decoded json).
class GameStatActionTask final : public NativeRuntime::LuaNativeCallTask {
public:
  GameStatActionTask(std::string first, std::string second, int flag, std::string json);

protected:
  int pushArgs(lua_State* L) override;

private:
  std::string first_;
  std::string second_;
  int flag_;
  std::string json_;
};

}  // namespace VemoSDK::Game

namespace VemoSDK::Stat {

// vendors.jf.commit_event(event name, decoded labels, decoded stats).
class StatCommitEventTask final : public NativeRuntime::LuaNativeCallTask {
public:
  StatCommitEventTask(std::string event, std::string labels, std::string stats);

protected:
  int pushArgs(lua_State* L) override;

private:
  std::string event_;
  std::string labels_;
  std::string stats_;
};

}  // namespace VemoSDK::Stat

// Lua thread: decodes the JSON text with the scripts' "FOREIGN_JSON_DECODE"
// and leaves the value on the stack (true); on any failure the stack is as
// it was (false).
bool decode_json_into_lua(lua_State* L, const char* json, size_t length);

// Any thread: queue a native-call task for Lua. False when the task could
// not be made (out of memory); null texts count as empty.
bool post_stat_action(const char* first, const char* second, int flag, const char* json);
bool post_commit_event(const char* event, const char* labels, const char* stats);

// Upload modes of a statistics event: its labels get "is_upload_now" true
// for kStatUploadNow, false for kStatUploadLater, nothing for other modes.
constexpr int kStatUploadNow = 0;
constexpr int kStatUploadLater = 1;

// Adds "action" to the stats object and commits the event with its labels.
// A missing stats object is sent as "{}".
bool post_stat_event(const char* event, const char* action, JsonObject* stats, int upload_mode = kStatUploadLater);
