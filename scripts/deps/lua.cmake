# Static Lua 5.3 library (the upstream makefile's mingw target builds a DLL).
cmake_minimum_required(VERSION 3.16)
project(lua53 C)
file(GLOB LUA_SOURCES ${LUA_SRC}/src/*.c)
list(FILTER LUA_SOURCES EXCLUDE REGEX "/(lua|luac)\\.c$")
add_library(lua STATIC ${LUA_SOURCES})
target_compile_definitions(lua PRIVATE LUA_COMPAT_5_2)
target_compile_options(lua PRIVATE -O2)
install(TARGETS lua ARCHIVE DESTINATION lib)
install(FILES ${LUA_SRC}/src/lua.h ${LUA_SRC}/src/luaconf.h ${LUA_SRC}/src/lualib.h
              ${LUA_SRC}/src/lauxlib.h ${LUA_SRC}/src/lua.hpp DESTINATION include)
