#include "lua/vemosdk_file_functions.h"

#include <windows.h>

#include <lua.hpp>

#include <string>

#include "core/file_utils.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/save_as_dialog.h"
#include "core/text_convert.h"
#include "files/file_batch_item_path.h"
#include "files/file_ops.h"
#include "lua/script_path.h"

namespace VemoSDK::LuaFiles {

namespace {

// Success, code and message of a file operation.
int pushOpResult(lua_State* L, const OpResult& result) {
  lua_pushboolean(L, result.success);
  lua_pushnumber(L, result.code);
  lua_pushlstring(L, result.message.data(), result.message.size());
  return 3;
}

constexpr int kPathRefused = -2;

// vemo_write_file's result, or kPathRefused. A relative path (absolute 0)
// lands inside the data folder or nowhere: a root, a drive, a stream or ".."
// climbing out are refused. With absolute set, a relative path is taken in
// the program folder.
int writeData(const char* path, const char* data, size_t length, bool append, bool absolute) {
  if (absolute) return vemo_write_file(in_program_folder(path).c_str(), data, length, append ? 1 : 0);
  if (path[0] == '\\' || path[0] == '/') return kPathRefused;
  char joined[kMaxLongPath] = {};
  if (!join_batch_item(get_vemo_data_path("").c_str(), path, joined, sizeof joined).success) return kPathRefused;
  return vemo_write_file(joined, data, length, append ? 1 : 0);
}

}  // namespace

int writefile(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  size_t length = 0;
  const char* data = luaL_checklstring(L, 2, &length);
  lua_Integer append = luaL_checkinteger(L, 3);
  lua_Integer absolute = luaL_optinteger(L, 4, 0);
  // Raised only here, where no C++ object is alive.
  int result = writeData(path, data, length, append != 0, absolute != 0);
  if (result == kPathRefused)
    return luaL_error(L, "Write file fail: %s. A relative path must stay inside the data folder.\n", path);
  if (result < 0) return luaL_error(L, "Write file fail: %s.\n", path);
  lua_pushnumber(L, result);
  return 1;
}

int deletefile(lua_State* L) {
  vemo_delete_file(checkScriptPath(L, 1).c_str());
  return 0;
}

int listdir(lua_State* L) {
  std::wstring pattern = to_long_path(utf8_to_wstring(checkScriptPath(L, 1)));
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
  if (!find) return 0;
  lua_newtable(L);
  lua_Integer index = 0;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = wstring_to_utf8(entry.cFileName);
    lua_pushlstring(L, name.data(), name.size());
    lua_rawseti(L, -2, ++index);
  } while (FindNextFileW(find.get(), &entry));
  return 1;
}

int makeDirs(lua_State* L) {
  bool made = make_dirs(checkScriptPath(L, 1).c_str());
  lua_pushstring(L, made ? "{\"succ\":true}" : "{\"succ\":false}");
  return 1;
}

int saveAsFile(lua_State* L) {
  lua_pushnumber(L, vemosdkWindowsSaveAsFile(checkScriptPath(L, 1).c_str()));
  return 1;
}

int renameFile(lua_State* L) {
  std::string source = checkScriptPath(L, 1);
  std::string target = checkScriptPath(L, 2);
  return pushOpResult(L, vemo_rename_path(source.c_str(), target.c_str()));
}

int removeFile(lua_State* L) { return pushOpResult(L, vemo_remove_file_or_directory_utf8(checkScriptPath(L, 1).c_str())); }

int isFileExists(lua_State* L) {
  lua_pushboolean(L, file_exists(checkScriptPath(L, 1)));
  return 1;
}

int fileLength(lua_State* L) {
  lua_pushnumber(L, static_cast<lua_Number>(vemo_file_length(checkScriptPath(L, 1).c_str())));
  return 1;
}

int copyFile(lua_State* L) {
  std::string source = checkScriptPath(L, 1);
  std::string target = checkScriptPath(L, 2);
  // Only a boolean says no: copy_file(a, b, 0) still overrides.
  bool override_existing = lua_isboolean(L, 3) ? lua_toboolean(L, 3) != 0 : true;
  return pushOpResult(L, vemo_copy_file_or_directory_utf8(source.c_str(), target.c_str(), override_existing));
}

int readFileOffsetLength(lua_State* L) {
  std::string path = checkScriptPath(L, 1);
  lua_Integer offset = luaL_checkinteger(L, 2);
  lua_Integer length = luaL_checkinteger(L, 3);
  luaL_argcheck(L, offset >= 0, 2, "offset must not be negative");
  luaL_argcheck(L, length >= 0, 3, "length must not be negative");
  size_t count = 0;
  vemo::MallocPtr<char> data(vemo_read_file_offset_length(path.c_str(), offset, length, &count));
  lua_pushlstring(L, data ? data.get() : "", data ? count : 0);
  return 1;
}

int isDirectory(lua_State* L) {
  lua_pushboolean(L, vemo_is_directory(checkScriptPath(L, 1).c_str()));
  return 1;
}

}  // namespace VemoSDK::LuaFiles
