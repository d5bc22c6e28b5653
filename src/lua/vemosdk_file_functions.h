#pragma once
// The _vemosdk file functions that answer at once, on UTF-8 paths (lread
// has its own file).
struct lua_State;

namespace VemoSDK::LuaFiles {

int writefile(lua_State* L);
int deletefile(lua_State* L);
int listdir(lua_State* L);
int makeDirs(lua_State* L);
int saveAsFile(lua_State* L);
int renameFile(lua_State* L);
int removeFile(lua_State* L);
int isFileExists(lua_State* L);
int fileLength(lua_State* L);
int copyFile(lua_State* L);
int readFileOffsetLength(lua_State* L);
int isDirectory(lua_State* L);

}  // namespace VemoSDK::LuaFiles
