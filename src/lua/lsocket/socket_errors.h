#pragma once
// Windows Sockets errors as the C library error numbers that the socket
// module reports, and their texts.
#include <string>

struct lua_State;

namespace VemoSDK::LuaSocket {

// 0 for an error the table does not know.
int errnoOfWsaError(int wsa_error);
// "Connection refused." for 107, else the C library's text and the number ("%s-%d").
std::string errnoText(int errno_value);
// Would-block or in-progress: the operation goes on in the background.
bool isPending(int wsa_error);

// nil and the text of a Windows Sockets error: 2 results.
int pushWsaError(lua_State* L, int wsa_error);
// The same for WSAGetLastError().
int pushLastWsaError(lua_State* L);

}  // namespace VemoSDK::LuaSocket
