// select of the socket module. Windows reports a failed connection attempt
// in the exception set, not as writable: every socket of the write table is
// also watched for exceptions and reported writable then, so that the script
// reads the failure with status, as it would elsewhere.
#include "lua/lsocket/socket_errors.h"
#include "lua/lsocket/lsocket_module.h"
#include "lua/lsocket/socket_object.h"

#include <lua.hpp>

#include <algorithm>
#include <cmath>

namespace VemoSDK::LuaSocket {

namespace {

// A Windows fd_set holds this many sockets; a larger table is refused rather
// than cut short.
constexpr u_int kMaxSocketsPerTable = 64;
static_assert(FD_SETSIZE >= kMaxSocketsPerTable, "fd_set holds the sockets of one table");
// Longer time-outs wait this long (about 49 days: the longest finite wait of
// Windows), so the seconds always fit a timeval.
constexpr double kLongestWait = 4294966.0;

// Adds the open sockets of the table at `table` (0: none) to `set`, and each
// to the lookup table at `lookup` under its handle.
void collect(lua_State* L, int table, int lookup, fd_set& set) {
  FD_ZERO(&set);
  if (!table) return;
  lua_pushnil(L);
  while (lua_next(L, table)) {
    Socket* s = toSocket(L, -1);
    if (!s) luaL_error(L, "bad argument to 'select' (tables can only contain sockets)");
    if (s->fd != INVALID_SOCKET && !FD_ISSET(s->fd, &set)) {
      if (set.fd_count >= kMaxSocketsPerTable) {
        luaL_error(L, "bad argument to 'select' (more than %d sockets in a table)",
                   static_cast<int>(kMaxSocketsPerTable));
      }
      FD_SET(s->fd, &set);
      lua_pushvalue(L, -1);
      lua_rawseti(L, lookup, static_cast<lua_Integer>(s->fd));
    }
    lua_pop(L, 1);
  }
}

void pushReady(lua_State* L, const fd_set& ready, int lookup) {
  lua_createtable(L, static_cast<int>(ready.fd_count), 0);
  for (u_int i = 0; i < ready.fd_count; ++i) {
    if (lua_rawgeti(L, lookup, static_cast<lua_Integer>(ready.fd_array[i])) == LUA_TNIL) {
      luaL_error(L, "unexpected file descriptor returned from select");
    }
    lua_rawseti(L, -2, static_cast<lua_Integer>(i) + 1);
  }
}

struct Arguments {
  int read = 0;   // stack index of the read table, 0 when absent
  int write = 0;  // the same for the write table
  bool has_timeout = false;
  timeval timeout{};
};

bool isTableOrNil(lua_State* L, int index) { return lua_istable(L, index) || lua_isnil(L, index); }

Arguments readArguments(lua_State* L) {
  Arguments args;
  int top = lua_gettop(L);
  int next = 1;
  if (next <= top && isTableOrNil(L, next)) {
    if (lua_istable(L, next)) args.read = next;
    ++next;
  }
  if (next <= top && isTableOrNil(L, next)) {
    if (lua_istable(L, next)) args.write = next;
    ++next;
  }
  if (next <= top && lua_type(L, next) == LUA_TNUMBER) {
    double seconds = std::min(lua_tonumber(L, next++), kLongestWait);
    if (seconds >= 0) {
      double whole = std::floor(seconds);
      args.has_timeout = true;
      args.timeout.tv_sec = static_cast<long>(whole);
      args.timeout.tv_usec = static_cast<long>((seconds - whole) * 1e6);
    }
  } else if (next <= top && lua_isnil(L, next)) {
    ++next;
  }
  if (next <= top) luaL_error(L, "bad argument to 'select' (invalid option)");
  return args;
}

}  // namespace

int select(lua_State* L) {
  Arguments args = readArguments(L);
  lua_newtable(L);
  int lookup = lua_gettop(L);
  fd_set readable, writable, failed;
  collect(L, args.read, lookup, readable);
  collect(L, args.write, lookup, writable);
  failed = writable;

  if (readable.fd_count == 0 && writable.fd_count == 0) {
    if (!args.has_timeout) {
      lua_pushnil(L);
      lua_pushstring(L, "no open sockets to check and no timeout set");
      return 2;
    }
    // Windows refuses a select without sockets: wait the time out alone.
    Sleep(static_cast<DWORD>(args.timeout.tv_sec) * 1000 + static_cast<DWORD>(args.timeout.tv_usec / 1000));
    lua_pushboolean(L, 0);
    return 1;
  }

  int ready = ::select(0, readable.fd_count ? &readable : nullptr, writable.fd_count ? &writable : nullptr,
                       failed.fd_count ? &failed : nullptr, args.has_timeout ? &args.timeout : nullptr);
  if (ready == SOCKET_ERROR) return pushLastWsaError(L);
  if (ready == 0) {
    lua_pushboolean(L, 0);
    return 1;
  }
  for (u_int i = 0; i < failed.fd_count; ++i) {
    if (!FD_ISSET(failed.fd_array[i], &writable)) FD_SET(failed.fd_array[i], &writable);
  }
  if (args.read) {
    pushReady(L, readable, lookup);
  } else {
    pushEmptyTable(L);
  }
  if (!args.write) return 1;
  pushReady(L, writable, lookup);
  return 2;
}

}  // namespace VemoSDK::LuaSocket
