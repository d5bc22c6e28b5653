// The methods of socket objects: addresses, state, accept, receive, send and
// close. Failures give nil and the error text; would-block gives false.
#include "lua/lsocket/socket_address.h"
#include "lua/lsocket/socket_errors.h"
#include "lua/lsocket/socket_object.h"
#include "core/lua_guard.h"

#include <lua.hpp>

#include <algorithm>
#include <cstring>
#include <string>

namespace VemoSDK::LuaSocket {

namespace {

constexpr lua_Integer kDefaultReceiveSize = 4096;
// What one receive call asks the system for at most, whatever the script
// asks: a datagram is never larger, and a stream gives the rest next time.
constexpr lua_Integer kMaxReceiveSize = 1024 * 1024;

Socket* checkSocket(lua_State* L) { return static_cast<Socket*>(luaL_checkudata(L, 1, kSocketTypeName)); }

const char* typeName(int type) {
  if (type == SOCK_STREAM) return "tcp";
  if (type == SOCK_DGRAM) return "udp";
  return "unknown";
}

size_t receiveSize(lua_State* L, const char* method) {
  lua_Integer count = kDefaultReceiveSize;
  if (!lua_isnoneornil(L, 2)) {
    int is_integer = 0;
    count = lua_tointegerx(L, 2, &is_integer);
    if (!is_integer || count <= 0 || count >= (lua_Integer{1} << 32)) {
      return luaL_error(L, "bad argument #1 to '%s' (invalid number)", method), 0;
    }
  }
  return static_cast<size_t>(std::min(count, kMaxReceiveSize));
}

int info(lua_State* L) {
  Socket* s = checkSocket(L);
  if (lua_isnoneornil(L, 2)) {
    lua_createtable(L, 0, 5);
    lua_pushinteger(L, s->fd == INVALID_SOCKET ? -1 : static_cast<lua_Integer>(s->fd));
    lua_setfield(L, -2, "fd");
    lua_pushstring(L, familyName(s->family));
    lua_setfield(L, -2, "family");
    lua_pushstring(L, typeName(s->type));
    lua_setfield(L, -2, "type");
    lua_pushboolean(L, s->listening);
    lua_setfield(L, -2, "listening");
    lua_pushboolean(L, s->multicast);
    lua_setfield(L, -2, "multicast");
    return 1;
  }
  const char* which = luaL_checkstring(L, 2);
  bool peer = std::strcmp(which, "peer") == 0;
  if (!peer && std::strcmp(which, "socket") != 0) {
    lua_pushnil(L);
    return 1;
  }
  SocketAddress address;
  address.length = sizeof address.storage;
  int result = peer ? getpeername(s->fd, address.get(), &address.length)
                    : getsockname(s->fd, address.get(), &address.length);
  if (result == SOCKET_ERROR) return pushLastWsaError(L);
  pushAddressTable(L, address.get());
  return 1;
}

int status(lua_State* L) {
  Socket* s = checkSocket(L);
  int pending = 0;
  int length = sizeof pending;
  if (getsockopt(s->fd, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &length) == SOCKET_ERROR) {
    return pushLastWsaError(L);
  }
  if (pending != 0) return pushWsaError(L, pending);
  lua_pushboolean(L, 1);
  return 1;
}

int getfd(lua_State* L) {
  Socket* s = checkSocket(L);
  lua_pushinteger(L, s->fd == INVALID_SOCKET ? -1 : static_cast<lua_Integer>(s->fd));
  return 1;
}

// Only detaching is allowed: the handle is forgotten, not closed.
int setfd(lua_State* L) {
  Socket* s = checkSocket(L);
  if (luaL_checkinteger(L, 2) != -1) {
    lua_pushnil(L);
    lua_pushstring(L, "bad argument #1 to 'setfd' (invalid fd)");
    return 2;
  }
  s->fd = INVALID_SOCKET;
  lua_pushboolean(L, 1);
  return 1;
}

bool readableNow(SOCKET fd) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(fd, &readable);
  timeval no_wait{0, 0};
  return select(0, &readable, nullptr, nullptr, &no_wait) > 0;
}

int accept(lua_State* L) {
  Socket* s = checkSocket(L);
  if (!readableNow(s->fd)) {
    lua_pushboolean(L, 0);
    return 1;
  }
  SocketAddress peer;
  peer.length = sizeof peer.storage;
  UniqueSocket accepted(::accept(s->fd, peer.get(), &peer.length));
  if (accepted.get() == INVALID_SOCKET) {
    int error = WSAGetLastError();
    if (isPending(error)) {
      lua_pushboolean(L, 0);
      return 1;
    }
    return pushWsaError(L, error);
  }
  if (!prepareSocket(accepted.get())) return pushLastWsaError(L);
  Socket description = *s;
  description.listening = false;
  pushSocket(L, accepted, description);
  lua_pushstring(L, addressText(peer.get()).c_str());
  lua_pushinteger(L, addressPort(peer.get()));
  return 3;
}

// Receives into a Lua buffer; pushes the data, nil (peer closed) or false
// (nothing there), or nil and the error. `from` collects the sender.
int receive(lua_State* L, const char* method, SocketAddress* from) {
  Socket* s = checkSocket(L);
  size_t size = receiveSize(L, method);
  luaL_Buffer buffer;
  char* room = luaL_buffinitsize(L, &buffer, size);
  int received = from ? recvfrom(s->fd, room, static_cast<int>(size), 0, from->get(), &from->length)
                      : recv(s->fd, room, static_cast<int>(size), 0);
  if (received == SOCKET_ERROR) {
    int error = WSAGetLastError();
    if (isPending(error)) {
      lua_pushboolean(L, 0);
      return 1;
    }
    return pushWsaError(L, error);
  }
  if (received == 0 && s->type == SOCK_STREAM) {
    lua_pushnil(L);
    return 1;
  }
  luaL_pushresultsize(&buffer, static_cast<size_t>(received));
  return 1;
}

int recvMethod(lua_State* L) { return receive(L, "recv", nullptr); }

int recvfromMethod(lua_State* L) {
  SocketAddress from;
  from.length = sizeof from.storage;
  int results = receive(L, "recvfrom", &from);
  if (results != 1 || lua_type(L, -1) != LUA_TSTRING) return results;
  lua_pushstring(L, addressText(from.get()).c_str());
  lua_pushinteger(L, addressPort(from.get()));
  return 3;
}

int pushSent(lua_State* L, int sent) {
  if (sent == SOCKET_ERROR) {
    int error = WSAGetLastError();
    if (isPending(error)) {
      lua_pushboolean(L, 0);
      return 1;
    }
    return pushWsaError(L, error);
  }
  lua_pushinteger(L, sent);
  return 1;
}

int send(lua_State* L) {
  Socket* s = checkSocket(L);
  size_t length = 0;
  const char* data = luaL_checklstring(L, 2, &length);
  return pushSent(L, ::send(s->fd, data, static_cast<int>(length), 0));
}

int sendto(lua_State* L) {
  Socket* s = checkSocket(L);
  size_t length = 0;
  const char* data = luaL_checklstring(L, 2, &length);
  const char* host = luaL_checkstring(L, 3);
  lua_Integer port = luaL_checkinteger(L, 4);
  luaL_argcheck(L, port >= 0 && port <= 65535, 4, "invalid port");
  SocketAddress address;
  std::string error = parseAddress(host, static_cast<int>(port), address);
  if (!error.empty()) {
    lua_pushnil(L);
    lua_pushstring(L, error.c_str());
    return 2;
  }
  return pushSent(L, ::sendto(s->fd, data, static_cast<int>(length), 0, address.get(), address.length));
}

void closeSocket(Socket* s) {
  if (s->fd != INVALID_SOCKET) closesocket(s->fd);
  s->fd = INVALID_SOCKET;
}

int close(lua_State* L) {
  closeSocket(checkSocket(L));
  lua_pushboolean(L, 1);
  return 1;
}

int gc(lua_State* L) {
  closeSocket(checkSocket(L));
  return 0;
}

int tostring(lua_State* L) {
  lua_pushfstring(L, "%s: %p", kSocketTypeName, lua_touserdata(L, 1));
  return 1;
}

const luaL_Reg kMethods[] = {
    {"info", info},       {"status", status},     {"getfd", getfd},
    {"setfd", setfd},     {"accept", accept},     {"recv", recvMethod},
    {"recvfrom", recvfromMethod},                 {"send", send},
    {"sendto", sendto},   {"close", close},       {nullptr, nullptr},
};

}  // namespace

bool prepareSocket(SOCKET fd) {
  BOOL reuse = TRUE;
  u_long non_blocking = 1;
  return setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse) == 0 &&
         ioctlsocket(fd, FIONBIO, &non_blocking) == 0;
}

Socket* pushSocket(lua_State* L, UniqueSocket& fd, const Socket& description) {
  auto* s = static_cast<Socket*>(lua_newuserdata(L, sizeof(Socket)));
  *s = description;
  s->fd = fd.release();
  luaL_setmetatable(L, kSocketTypeName);
  return s;
}

Socket* toSocket(lua_State* L, int index) {
  return static_cast<Socket*>(luaL_testudata(L, index, kSocketTypeName));
}

void registerSocketType(lua_State* L) {
  if (luaL_newmetatable(L, kSocketTypeName)) {
    vemo::lua_new_guarded_lib(L, kMethods);
    lua_setfield(L, -2, "__index");
    lua_pushstring(L, kSocketTypeName);
    lua_setfield(L, -2, "__type");
    vemo::lua_push_guarded(L, gc);
    lua_setfield(L, -2, "__gc");
    vemo::lua_push_guarded(L, tostring);
    lua_setfield(L, -2, "__tostring");
  }
  lua_pop(L, 1);
}

}  // namespace VemoSDK::LuaSocket
