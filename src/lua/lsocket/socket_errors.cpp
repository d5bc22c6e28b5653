#include "lua/lsocket/socket_errors.h"

#include <winsock2.h>

#include <lua.hpp>

#include <cstdio>
#include <cstring>

namespace VemoSDK::LuaSocket {

namespace {

struct ErrorPair {
  int wsa;
  int c_errno;
};

const ErrorPair kErrorMap[] = {
    {10009, 9},   {10013, 13},  {10014, 14},  {10022, 22},  {10024, 24},  {10035, 140},
    {10036, 11},  {10040, 115}, {10043, 135}, {10047, 102}, {10048, 100}, {10049, 101},
    {10050, 116}, {10051, 118}, {10052, 117}, {10053, 106}, {10054, 108}, {10055, 119},
    {10057, 126}, {10060, 138}, {10061, 107}, {10065, 110},
};

constexpr int kConnectionRefused = 107;
constexpr int kInProgress = 11;
constexpr int kWouldBlock = 140;

}  // namespace

int errnoOfWsaError(int wsa_error) {
  for (const ErrorPair& pair : kErrorMap) {
    if (pair.wsa == wsa_error) return pair.c_errno;
  }
  return 0;
}

std::string errnoText(int errno_value) {
  if (errno_value == kConnectionRefused) return "Connection refused.";
  char text[160];
  std::snprintf(text, sizeof text, "%s-%d", std::strerror(errno_value), errno_value);
  return text;
}

bool isPending(int wsa_error) {
  int value = errnoOfWsaError(wsa_error);
  return value == kInProgress || value == kWouldBlock;
}

int pushWsaError(lua_State* L, int wsa_error) {
  lua_pushnil(L);
  lua_pushstring(L, errnoText(errnoOfWsaError(wsa_error)).c_str());
  return 2;
}

int pushLastWsaError(lua_State* L) { return pushWsaError(L, WSAGetLastError()); }

}  // namespace VemoSDK::LuaSocket
