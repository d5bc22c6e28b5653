# Static Lua 5.3 library (the upstream makefile's mingw target builds a DLL).
#
# Errors are raised as C++ exceptions instead of longjmp: ldo.c is compiled as
# C++ (with C linkage) and the rest with unwind tables, so a Lua error that
# leaves one of the SDK's C++ functions runs its destructors (locks, handles,
# buffers) on the way out.
cmake_minimum_required(VERSION 3.16)
project(lua53 C CXX)
file(GLOB LUA_SOURCES ${LUA_SRC}/src/*.c)
list(FILTER LUA_SOURCES EXCLUDE REGEX "/(lua|luac|ldo)\\.c$")
set(LDO_CPP ${CMAKE_CURRENT_BINARY_DIR}/ldo_cpp.cpp)
file(WRITE ${LDO_CPP} "// ldo.c as C++, so that errors are thrown and caught as exceptions.
#include <limits.h>
#include <locale.h>
#include <math.h>
#include <setjmp.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
extern \"C\" {
#include \"ldo.c\"
}
")
add_library(lua STATIC ${LUA_SOURCES} ${LDO_CPP})
target_include_directories(lua PRIVATE ${LUA_SRC}/src)
target_compile_definitions(lua PRIVATE LUA_COMPAT_5_2)
target_compile_options(lua PRIVATE -O2 $<$<COMPILE_LANGUAGE:C>:-fexceptions>)
install(TARGETS lua ARCHIVE DESTINATION lib)
install(FILES ${LUA_SRC}/src/lua.h ${LUA_SRC}/src/luaconf.h ${LUA_SRC}/src/lualib.h
              ${LUA_SRC}/src/lauxlib.h ${LUA_SRC}/src/lua.hpp DESTINATION include)
