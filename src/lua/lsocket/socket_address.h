#pragma once
// Socket addresses of the socket module: parsing the scripts' address texts
// (numeric IPv4 or IPv6, host names, local socket paths) and handing
// addresses back to Lua.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

struct lua_State;

namespace VemoSDK::LuaSocket {

struct SocketAddress {
  sockaddr_storage storage{};
  int length = 0;

  int family() const { return storage.ss_family; }
  sockaddr* get() { return reinterpret_cast<sockaddr*>(&storage); }
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

// Local (unix domain) socket paths contain "/" or begin with "@".
bool isLocalPath(const char* address);

// Fills `out` for the address text and port; an empty result on success,
// else the error text.
std::string parseAddress(const char* address, int port, SocketAddress& out);
// The IPv4 any-address with a port.
SocketAddress anyAddress(int port);

// "unix", "inet", "inet6" or "unknown".
const char* familyName(int family);
// The numeric text of an address ("" when it has none).
std::string addressText(const sockaddr* address);
int addressPort(const sockaddr* address);

// Pushes {family=, addr=, port=}.
void pushAddressTable(lua_State* L, const sockaddr* address);

}  // namespace VemoSDK::LuaSocket
