#pragma once
// The socket object of the socket module: a Lua userdata of the type
// "vemosdk_socket" holding one non-blocking Windows socket.
#include <winsock2.h>

#include <utility>

struct lua_State;

namespace VemoSDK::LuaSocket {

constexpr char kSocketTypeName[] = "vemosdk_socket";

struct Socket {
  SOCKET fd = INVALID_SOCKET;
  int family = 0;
  int type = 0;  // SOCK_STREAM or SOCK_DGRAM
  bool multicast = false;
  int protocol = 0;
  bool listening = false;
};

// Owns a socket until it is handed to a Lua object.
class UniqueSocket {
public:
  explicit UniqueSocket(SOCKET fd = INVALID_SOCKET) : fd_(fd) {}
  ~UniqueSocket() {
    if (fd_ != INVALID_SOCKET) closesocket(fd_);
  }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  SOCKET get() const { return fd_; }
  SOCKET release() { return std::exchange(fd_, INVALID_SOCKET); }
  void reset(SOCKET fd) {
    if (fd_ != INVALID_SOCKET) closesocket(fd_);
    fd_ = fd;
  }

private:
  SOCKET fd_;
};

// Address reuse and non-blocking mode, as every socket of the module gets
// them; false (with WSAGetLastError set) when the system refuses.
bool prepareSocket(SOCKET fd);

// Pushes a new socket object that takes over `fd` with its description.
Socket* pushSocket(lua_State* L, UniqueSocket& fd, const Socket& description);
// The socket object at index, or null when the value is none.
Socket* toSocket(lua_State* L, int index);

// Registers the "vemosdk_socket" metatable with its methods.
void registerSocketType(lua_State* L);

}  // namespace VemoSDK::LuaSocket
