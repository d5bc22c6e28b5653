#pragma once
// Path arguments of the Lua file functions: a relative one names a place in
// the program folder (core/program_relative.h).
#include <lua.hpp>

#include <string>

#include "core/program_relative.h"

namespace VemoSDK {

inline std::string checkScriptPath(lua_State* L, int index) { return in_program_folder(luaL_checkstring(L, index)); }

}  // namespace VemoSDK
