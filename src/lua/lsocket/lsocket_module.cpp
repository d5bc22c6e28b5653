// The module functions of `_vemosdk_lsocket`: connect, bind, select, resolve
// and getinterfaces. Sockets are non-blocking: a connect completes in the
// background and is seen with select and status.
#include "lua/lsocket/lsocket_module.h"

#include "lua/lsocket/socket_address.h"
#include "lua/lsocket/socket_errors.h"
#include "lua/lsocket/socket_object.h"

#include <lua.hpp>

#include <string>

#include "core/lua_guard.h"
#include "core/text_convert.h"
#include "core/win_utils.h"

namespace VemoSDK::LuaSocket {

namespace {

constexpr char kEmptyTableKey[] = "lsocket_empty_table";

struct Kind {
  int type = SOCK_STREAM;
  bool multicast = false;
};

// The optional first argument "tcp", "udp" or "mcast" (any case); true when
// it is there.
bool readKind(lua_State* L, Kind& kind) {
  if (lua_type(L, 1) != LUA_TSTRING) return false;
  const char* word = lua_tostring(L, 1);
  if (_stricmp(word, "tcp") == 0) {
    kind = {SOCK_STREAM, false};
  } else if (_stricmp(word, "udp") == 0) {
    kind = {SOCK_DGRAM, false};
  } else if (_stricmp(word, "mcast") == 0) {
    kind = {SOCK_DGRAM, true};
  } else {
    return false;
  }
  return true;
}

int checkPort(lua_State* L, int index, const char* missing) {
  if (lua_isnoneornil(L, index)) return luaL_error(L, "%s", missing);
  lua_Integer port = luaL_checkinteger(L, index);
  luaL_argcheck(L, port >= 0 && port <= 65535, index, "invalid port");
  return static_cast<int>(port);
}

int pushText(lua_State* L, const std::string& error) {
  lua_pushnil(L);
  lua_pushstring(L, error.c_str());
  return 2;
}

bool setOption(SOCKET fd, int level, int name, int value) {
  return setsockopt(fd, level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

// A new socket for the address, prepared as every socket of the module.
bool openSocket(const SocketAddress& address, const Kind& kind, UniqueSocket& out, Socket& description) {
  description.family = address.family();
  description.type = kind.type;
  description.multicast = kind.multicast;
  description.protocol = 0;
  out.reset(socket(description.family, kind.type, 0));
  return out.get() != INVALID_SOCKET && prepareSocket(out.get());
}

bool setUpMulticastSender(SOCKET fd, int family, int ttl) {
  if (!setOption(fd, SOL_SOCKET, SO_BROADCAST, 1)) return false;
  if (family == AF_INET6) return setOption(fd, IPPROTO_IPV6, IPV6_MULTICAST_HOPS, ttl);
  return setOption(fd, IPPROTO_IP, IP_MULTICAST_TTL, ttl);
}

bool setUpMulticastReceiver(SOCKET fd, const SocketAddress& address) {
  if (address.family() != AF_INET6) return setOption(fd, SOL_SOCKET, SO_BROADCAST, 1);
  ipv6_mreq group{};
  group.ipv6mr_multiaddr = reinterpret_cast<const sockaddr_in6*>(address.get())->sin6_addr;
  return setsockopt(fd, IPPROTO_IPV6, IPV6_JOIN_GROUP, reinterpret_cast<const char*>(&group), sizeof group) == 0;
}

// connect([kind,] host, port [, ttl])
int connect(lua_State* L) {
  Kind kind;
  int base = readKind(L, kind) ? 2 : 1;
  const char* host = luaL_checkstring(L, base);
  bool local = isLocalPath(host);
  if (local && kind.multicast) return luaL_error(L, "multicast not available for unix domain sockets.");
  int port = local ? 0 : checkPort(L, base + 1, "number expected, got no value.");
  int ttl = kind.multicast ? static_cast<int>(luaL_optinteger(L, base + 2, 1)) : 1;

  SocketAddress address;
  std::string error = parseAddress(host, port, address);
  if (!error.empty()) return pushText(L, error);
  UniqueSocket fd;
  Socket description;
  if (!openSocket(address, kind, fd, description)) return pushLastWsaError(L);
  if (kind.multicast && !setUpMulticastSender(fd.get(), description.family, ttl)) return pushLastWsaError(L);
  if (::connect(fd.get(), address.get(), address.length) == SOCKET_ERROR) {
    int connect_error = WSAGetLastError();
    if (!isPending(connect_error)) return pushWsaError(L, connect_error);
  }
  pushSocket(L, fd, description);
  return 1;
}

// bind([kind,] [address,] port [, backlog])
int bind(lua_State* L) {
  Kind kind;
  int next = readKind(L, kind) ? 2 : 1;
  const char* host = nullptr;
  if (lua_type(L, next) == LUA_TSTRING) host = lua_tostring(L, next++);
  bool local = host && isLocalPath(host);
  if (local && kind.multicast) return luaL_error(L, "multicast not available for unix domain sockets.");
  int port = 0;
  if (!local) port = checkPort(L, next++, "number expected, got no value X");
  int backlog = static_cast<int>(luaL_optinteger(L, next, 5));

  SocketAddress address = anyAddress(port);
  if (host) {
    std::string error = parseAddress(host, port, address);
    if (!error.empty()) return pushText(L, error);
  }
  UniqueSocket fd;
  Socket description;
  if (!openSocket(address, kind, fd, description)) return pushLastWsaError(L);
  if (kind.multicast && !setUpMulticastReceiver(fd.get(), address)) return pushLastWsaError(L);
  if (::bind(fd.get(), address.get(), address.length) == SOCKET_ERROR) return pushLastWsaError(L);
  if (kind.type == SOCK_STREAM) {
    if (listen(fd.get(), backlog) == SOCKET_ERROR) return pushLastWsaError(L);
    description.listening = true;
  }
  pushSocket(L, fd, description);
  return 1;
}

// resolve(host) -> {{family=, addr=}, ...}
int resolve(lua_State* L) {
  const char* host = luaL_checkstring(L, 1);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  int error = getaddrinfo(host, nullptr, &hints, &found);
  if (error != 0) return pushText(L, wstring_to_utf8(windows_error_text(static_cast<DWORD>(error))));
  lua_newtable(L);
  lua_Integer n = 0;
  for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET && entry->ai_family != AF_INET6) continue;
    lua_createtable(L, 0, 2);
    lua_pushstring(L, familyName(entry->ai_family));
    lua_setfield(L, -2, "family");
    lua_pushstring(L, addressText(entry->ai_addr).c_str());
    lua_setfield(L, -2, "addr");
    lua_rawseti(L, -2, ++n);
  }
  freeaddrinfo(found);
  return 1;
}

int getinterfaces(lua_State* L) {
  lua_pushnil(L);
  lua_pushstring(L, "Not implement");
  return 2;
}

int ignoreChange(lua_State*) { return 0; }

// The shared read result of a select that was given only a write table.
void registerEmptyTable(lua_State* L) {
  lua_newtable(L);
  lua_createtable(L, 0, 2);
  vemo::lua_push_guarded(L, ignoreChange);
  lua_setfield(L, -2, "__newindex");
  lua_pushboolean(L, 0);
  lua_setfield(L, -2, "__metatable");
  lua_setmetatable(L, -2);
  lua_setfield(L, LUA_REGISTRYINDEX, kEmptyTableKey);
}

// Windows Sockets is started once per process and stays up until it ends.
int startWindowsSockets() {
  static const int result = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  return result;
}

const luaL_Reg kFunctions[] = {
    {"connect", connect}, {"bind", bind}, {"select", VemoSDK::LuaSocket::select},
    {"resolve", resolve}, {"getinterfaces", getinterfaces}, {nullptr, nullptr},
};

}  // namespace

void pushEmptyTable(lua_State* L) { lua_getfield(L, LUA_REGISTRYINDEX, kEmptyTableKey); }

}  // namespace VemoSDK::LuaSocket

int luaopen_vemosdk_lsocket(lua_State* L) {
  using namespace VemoSDK::LuaSocket;
  if (int error = startWindowsSockets()) return luaL_error(L, "WSAStartup failed: %d\n", error);
  registerSocketType(L);
  registerEmptyTable(L);
  vemo::lua_new_guarded_lib(L, kFunctions);
  lua_pushstring(L, "0.0.0.0");
  lua_setfield(L, -2, "INADDR_ANY");
  lua_pushstring(L, "::0");
  lua_setfield(L, -2, "IN6ADDR_ANY");
  lua_pushstring(L, "1.4.1");
  lua_setfield(L, -2, "_VERSION");
  return 1;
}
