#include "lua/lsocket/socket_address.h"

#include <lua.hpp>

#include <cstddef>
#include <cstring>

#include "core/text_convert.h"
#include "core/win_utils.h"

namespace VemoSDK::LuaSocket {

namespace {

// The layout of a unix domain socket address on Windows (afunix.h).
struct LocalSocketAddress {
  ADDRESS_FAMILY sun_family;
  char sun_path[108];
};
static_assert(sizeof(LocalSocketAddress) <= sizeof(sockaddr_storage), "fits the storage");

bool onlyCharacters(const char* text, const char* allowed) {
  return *text && std::strspn(text, allowed) == std::strlen(text);
}

std::string parseLocalPath(const char* path, SocketAddress& out) {
  size_t length = std::strlen(path);
  auto* local = reinterpret_cast<LocalSocketAddress*>(&out.storage);
  if (length >= sizeof local->sun_path) return "unix domain path too long";
  local->sun_family = AF_UNIX;
  std::memcpy(local->sun_path, path, length + 1);
  out.length = static_cast<int>(offsetof(LocalSocketAddress, sun_path) + length + 1);
  return {};
}

bool parseNumeric(int family, const char* address, int port, SocketAddress& out) {
  if (family == AF_INET) {
    auto* in = reinterpret_cast<sockaddr_in*>(&out.storage);
    if (inet_pton(AF_INET, address, &in->sin_addr) != 1) return false;
    in->sin_family = AF_INET;
    in->sin_port = htons(static_cast<u_short>(port));
    out.length = sizeof *in;
    return true;
  }
  auto* in6 = reinterpret_cast<sockaddr_in6*>(&out.storage);
  if (inet_pton(AF_INET6, address, &in6->sin6_addr) != 1) return false;
  in6->sin6_family = AF_INET6;
  in6->sin6_port = htons(static_cast<u_short>(port));
  out.length = sizeof *in6;
  return true;
}

struct AddrInfoOwner {
  addrinfo* list = nullptr;
  ~AddrInfoOwner() {
    if (list) freeaddrinfo(list);
  }
};

std::string resolveName(const char* host, int port, SocketAddress& out) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  AddrInfoOwner found;
  int error = getaddrinfo(host, nullptr, &hints, &found.list);
  if (error != 0) return wstring_to_utf8(windows_error_text(static_cast<DWORD>(error)));
  const addrinfo* first = found.list;
  if (!first || (first->ai_family != AF_INET && first->ai_family != AF_INET6) ||
      first->ai_addrlen > sizeof out.storage) {
    return "unknown address family";
  }
  std::memcpy(&out.storage, first->ai_addr, first->ai_addrlen);
  out.length = static_cast<int>(first->ai_addrlen);
  if (first->ai_family == AF_INET) {
    reinterpret_cast<sockaddr_in*>(&out.storage)->sin_port = htons(static_cast<u_short>(port));
  } else {
    reinterpret_cast<sockaddr_in6*>(&out.storage)->sin6_port = htons(static_cast<u_short>(port));
  }
  return {};
}

}  // namespace

bool isLocalPath(const char* address) { return std::strchr(address, '/') || address[0] == '@'; }

std::string parseAddress(const char* address, int port, SocketAddress& out) {
  out = SocketAddress{};
  if (isLocalPath(address)) return parseLocalPath(address, out);
  if (onlyCharacters(address, "0123456789.") && parseNumeric(AF_INET, address, port, out)) return {};
  if (onlyCharacters(address, "0123456789abcdefABCDEF:") && parseNumeric(AF_INET6, address, port, out)) return {};
  return resolveName(address, port, out);
}

SocketAddress anyAddress(int port) {
  SocketAddress out;
  auto* in = reinterpret_cast<sockaddr_in*>(&out.storage);
  in->sin_family = AF_INET;
  in->sin_addr.s_addr = htonl(INADDR_ANY);
  in->sin_port = htons(static_cast<u_short>(port));
  out.length = sizeof *in;
  return out;
}

const char* familyName(int family) {
  switch (family) {
    case AF_UNIX: return "unix";
    case AF_INET: return "inet";
    case AF_INET6: return "inet6";
    default: return "unknown";
  }
}

std::string addressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN + 1] = {};
  if (address->sa_family == AF_INET) {
    auto* in = reinterpret_cast<const sockaddr_in*>(address);
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) return text;
  } else if (address->sa_family == AF_INET6) {
    auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
    if (inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text)) return text;
  } else if (address->sa_family == AF_UNIX) {
    auto* local = reinterpret_cast<const LocalSocketAddress*>(address);
    return std::string(local->sun_path, strnlen(local->sun_path, sizeof local->sun_path));
  }
  return {};
}

int addressPort(const sockaddr* address) {
  if (address->sa_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in*>(address)->sin_port);
  if (address->sa_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6*>(address)->sin6_port);
  return 0;
}

void pushAddressTable(lua_State* L, const sockaddr* address) {
  lua_createtable(L, 0, 3);
  lua_pushstring(L, familyName(address->sa_family));
  lua_setfield(L, -2, "family");
  lua_pushstring(L, addressText(address).c_str());
  lua_setfield(L, -2, "addr");
  if (address->sa_family != AF_UNIX) {
    lua_pushinteger(L, addressPort(address));
    lua_setfield(L, -2, "port");
  }
}

}  // namespace VemoSDK::LuaSocket
