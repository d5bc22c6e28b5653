// Mutex objects of the "win.Mutex" type. The mutex is the system's and works
// across processes; the owner thread and count are this object's own
// bookkeeping, so that unlock is refused to a thread that does not hold it.
#include "lua/winmutex/winmutex_module.h"

#include <windows.h>

#include <lua.hpp>

#include <string>

#include "core/lua_guard.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "core/win_utils.h"
#include "lua/winmutex/scoped_name.h"

namespace VemoSDK::LuaWinMutex {

namespace {

constexpr char kMutexType[] = "win.Mutex";
constexpr lua_Integer kInfinite = 4294967295;  // INFINITE as an unsigned 32-bit number

struct Mutex {
  HANDLE handle = nullptr;  // null once closed
  DWORD owner = 0;          // thread id, 0 for none
  int count = 0;
};

// "<operation>: <system message> (error N)", for the last error.
std::string systemError(const char* operation) {
  DWORD code = GetLastError();
  std::string message = wstring_to_utf8(windows_message(code));
  while (!message.empty() && (message.back() == ' ' || message.back() == '\t' || message.back() == '\r' ||
                              message.back() == '\n')) {
    message.pop_back();
  }
  char text[64];
  if (message.empty()) {
    std::snprintf(text, sizeof text, ": Unknown error (code %lu)", code);
    return operation + std::string(text);
  }
  std::snprintf(text, sizeof text, " (error %lu)", code);
  return operation + (": " + message) + text;
}

int pushFailure(lua_State* L, const std::string& message) {
  lua_pushnil(L);
  lua_pushstring(L, message.c_str());
  return 2;
}

Mutex* checkMutex(lua_State* L) { return static_cast<Mutex*>(luaL_checkudata(L, 1, kMutexType)); }

// create([name [, initial_owner]]) -> mutex, "created" | "opened"
int create(lua_State* L) {
  size_t length = 0;
  const char* name = luaL_optlstring(L, 1, "", &length);
  bool initial_owner = lua_toboolean(L, 2) != 0;
  std::wstring scoped;
  if (length > 0) {
    std::wstring exe_path = get_program_path_w();
    if (exe_path.empty()) return pushFailure(L, "Failed to build scoped mutex name from current exe path");
    scoped = scopedName(utf8_to_wstring(std::string(name, length)), exe_path);
  }
  SetLastError(ERROR_SUCCESS);
  // Held here until the userdata that closes it has its metatable: a Lua
  // error on the way (no memory) unwinds through this owner.
  vemo::UniqueHandle handle(CreateMutexW(nullptr, initial_owner, scoped.empty() ? nullptr : scoped.c_str()));
  if (!handle) return pushFailure(L, systemError("CreateMutexW failed"));
  DWORD error = GetLastError();
  bool opened = error == ERROR_ALREADY_EXISTS;
  if (!opened && error != ERROR_SUCCESS) {
    char text[80];
    std::snprintf(text, sizeof text, "Unexpected error after CreateMutexW (code %lu)", error);
    return pushFailure(L, text);
  }
  auto* mutex = static_cast<Mutex*>(lua_newuserdata(L, sizeof(Mutex)));
  *mutex = Mutex{};
  if (luaL_getmetatable(L, kMutexType) != LUA_TTABLE) {
    return luaL_error(L, "winmutex module not properly initialized (metatable missing)");
  }
  lua_setmetatable(L, -2);
  bool owns = initial_owner && !opened;
  *mutex = Mutex{handle.release(), owns ? GetCurrentThreadId() : 0, owns ? 1 : 0};
  lua_pushstring(L, opened ? "opened" : "created");
  return 2;
}

DWORD waitTime(lua_State* L) {
  if (lua_isnoneornil(L, 2)) return INFINITE;
  if (lua_isboolean(L, 2)) return lua_toboolean(L, 2) ? INFINITE : 0;
  lua_Number ms = luaL_checknumber(L, 2);
  if (ms < 0 || ms >= static_cast<lua_Number>(kInfinite)) return INFINITE;
  return static_cast<DWORD>(ms);
}

// lock([timeout]) -> true, "ok" | true, "abandoned" | false, "timeout" | nil, message
int lock(lua_State* L) {
  Mutex* mutex = checkMutex(L);
  DWORD wait = waitTime(L);
  if (!mutex->handle) return pushFailure(L, "Invalid mutex handle");
  DWORD result = WaitForSingleObject(mutex->handle, wait);
  if (result == WAIT_TIMEOUT) {
    lua_pushboolean(L, 0);
    lua_pushstring(L, "timeout");
    return 2;
  }
  if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
    return pushFailure(L, systemError("WaitForSingleObject failed"));
  }
  DWORD self = GetCurrentThreadId();
  if (mutex->owner == self && mutex->count > 0) {
    ++mutex->count;
  } else {
    mutex->owner = self;
    mutex->count = 1;
  }
  lua_pushboolean(L, 1);
  lua_pushstring(L, result == WAIT_OBJECT_0 ? "ok" : "abandoned");
  return 2;
}

int unlock(lua_State* L) {
  Mutex* mutex = checkMutex(L);
  if (!mutex->handle) return pushFailure(L, "Invalid mutex handle");
  if (mutex->owner != GetCurrentThreadId() || mutex->count <= 0) {
    return pushFailure(L, "Current thread does not own this mutex (cannot release)");
  }
  if (!ReleaseMutex(mutex->handle)) return pushFailure(L, systemError("ReleaseMutex failed"));
  if (--mutex->count == 0) mutex->owner = 0;
  lua_pushboolean(L, 1);
  return 1;
}

int getHandle(lua_State* L) {
  Mutex* mutex = checkMutex(L);
  if (!mutex->handle) {
    lua_pushnil(L);
  } else {
    lua_pushlightuserdata(L, mutex->handle);
  }
  return 1;
}

int isOwner(lua_State* L) {
  Mutex* mutex = checkMutex(L);
  lua_pushboolean(L, mutex->handle && mutex->owner == GetCurrentThreadId() && mutex->count > 0);
  return 1;
}

int gc(lua_State* L) {
  Mutex* mutex = checkMutex(L);
  if (mutex->handle) CloseHandle(mutex->handle);
  *mutex = Mutex{};
  return 0;
}

const luaL_Reg kMethods[] = {
    {"lock", lock}, {"unlock", unlock}, {"getHandle", getHandle}, {"isOwner", isOwner}, {"__gc", gc},
    {nullptr, nullptr},
};

}  // namespace

int open(lua_State* L) {
  if (luaL_newmetatable(L, kMutexType)) {
    vemo::lua_set_guarded_funcs(L, kMethods, 0);
    lua_pushvalue(L, -1);
    lua_setfield(L, -2, "__index");
  }
  lua_pop(L, 1);
  lua_createtable(L, 0, 2);
  vemo::lua_push_guarded(L, create);
  lua_setfield(L, -2, "create");
  lua_pushinteger(L, kInfinite);
  lua_setfield(L, -2, "INFINITE");
  return 1;
}

}  // namespace VemoSDK::LuaWinMutex
