// The `_vemosdk_zip` module: read access to zip archives for the scripts (the
// script bundle is such an archive). Archives open read-only; a password given
// to `open` decrypts every encrypted entry. Entry names are only ever used as
// names inside the archive.
//
//   archive, err = _vemosdk_zip.open(path [, flags [, password]])
//   archive:name_locate(name [, flags]) -> index (1-based) | nil, err
//   archive:stat(name_or_index [, flags]) -> {name, index, size, comp_size, crc,
//                                            mtime, comp_method, encryption_method} | nil, err
//   archive:open(name_or_index [, flags]) -> file | nil, err
//   archive:get_num_files() -> count
//   archive:close()
//   file:read(count) -> string (may be shorter at the end; "" at the end) | nil, err
//   file:close()
#include "lua/zip_module.h"

#include <zip.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/lua_guard.h"
#include "core/path_utils.h"
#include "core/program_relative.h"
#include "lua.hpp"

namespace {

constexpr const char* kArchiveType = "_vemosdk_zip.archive";
constexpr const char* kFileType = "_vemosdk_zip.file";
// Reads are cut into pieces of this size so that a hostile size cannot make
// one allocation of gigabytes.
constexpr zip_uint64_t kMaxReadPiece = 64u * 1024 * 1024;

struct ZipFile;

// Lives in a Lua userdata: built with placement new, destroyed by __gc.
struct ZipArchive {
  zip_t* archive = nullptr;
  std::vector<ZipFile*> open_files;  // files close with their archive
};

struct ZipFile {
  zip_file_t* file = nullptr;
  ZipArchive* owner = nullptr;
};

int push_error(lua_State* L, const std::string& message) {
  lua_pushnil(L);
  lua_pushstring(L, message.c_str());
  return 2;
}

ZipArchive* check_archive(lua_State* L, int index) {
  auto* ud = static_cast<ZipArchive*>(luaL_checkudata(L, index, kArchiveType));
  if (!ud->archive) luaL_argerror(L, index, "archive is closed");
  return ud;
}

ZipFile* check_file(lua_State* L, int index) {
  auto* ud = static_cast<ZipFile*>(luaL_checkudata(L, index, kFileType));
  if (!ud->file) luaL_argerror(L, index, "file is closed");
  return ud;
}

void close_file(ZipFile* file) {
  if (!file->file) return;
  zip_fclose(file->file);
  file->file = nullptr;
  if (file->owner) {
    auto& files = file->owner->open_files;
    files.erase(std::remove(files.begin(), files.end(), file), files.end());
  }
  file->owner = nullptr;
}

void close_archive(ZipArchive* ud) {
  // A copy: close_file edits the list.
  std::vector<ZipFile*> files = ud->open_files;
  for (ZipFile* file : files) close_file(file);
  if (ud->archive) {
    zip_discard(ud->archive);  // read-only: nothing is ever written back
    ud->archive = nullptr;
  }
}

// An entry named by its text, or by its 1-based index as the binding's callers expect.
bool entry_index(lua_State* L, ZipArchive* ud, int arg, zip_flags_t flags, zip_uint64_t& index) {
  if (lua_type(L, arg) == LUA_TNUMBER) {
    lua_Integer i = luaL_checkinteger(L, arg);
    if (i < 1 || static_cast<zip_uint64_t>(i) > static_cast<zip_uint64_t>(zip_get_num_entries(ud->archive, 0)))
      return false;
    index = static_cast<zip_uint64_t>(i - 1);
    return true;
  }
  const char* name = luaL_checkstring(L, arg);
  zip_int64_t found = zip_name_locate(ud->archive, name, flags);
  if (found < 0) return false;
  index = static_cast<zip_uint64_t>(found);
  return true;
}

zip_flags_t optional_flags(lua_State* L, int arg) {
  return static_cast<zip_flags_t>(luaL_optinteger(L, arg, 0));
}

int zip_open_lua(lua_State* L) {
  const char* path = luaL_checkstring(L, 1);
  lua_Integer flags = luaL_optinteger(L, 2, 0);
  const char* password = luaL_optstring(L, 3, nullptr);

  zip_error_t error;
  zip_error_init(&error);
  std::wstring wide = to_long_path(in_program_folder(path));
  zip_source_t* source = zip_source_win32w_create(wide.c_str(), 0, -1, &error);
  if (!source) {
    std::string message = zip_error_strerror(&error);
    zip_error_fini(&error);
    return push_error(L, message);
  }
  // Only the consistency check is honoured: the module never writes.
  int open_flags = ZIP_RDONLY | (flags & ZIP_CHECKCONS ? ZIP_CHECKCONS : 0);
  zip_t* archive = zip_open_from_source(source, open_flags, &error);
  if (!archive) {
    zip_source_free(source);
    std::string message = zip_error_strerror(&error);
    zip_error_fini(&error);
    return push_error(L, message);
  }
  zip_error_fini(&error);
  if (password && *password && zip_set_default_password(archive, password) != 0) {
    std::string message = zip_strerror(archive);
    zip_discard(archive);
    return push_error(L, message);
  }

  auto* ud = static_cast<ZipArchive*>(lua_newuserdata(L, sizeof(ZipArchive)));
  new (ud) ZipArchive{archive, {}};
  luaL_setmetatable(L, kArchiveType);
  return 1;
}

int archive_name_locate(lua_State* L) {
  ZipArchive* ud = check_archive(L, 1);
  const char* name = luaL_checkstring(L, 2);
  zip_int64_t index = zip_name_locate(ud->archive, name, optional_flags(L, 3));
  if (index < 0) return push_error(L, std::string("file not found: ") + name);
  lua_pushinteger(L, static_cast<lua_Integer>(index + 1));
  return 1;
}

int archive_stat(lua_State* L) {
  ZipArchive* ud = check_archive(L, 1);
  zip_uint64_t index = 0;
  if (!entry_index(L, ud, 2, optional_flags(L, 3), index)) return push_error(L, "file not found");
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(ud->archive, index, 0, &st) != 0) return push_error(L, zip_strerror(ud->archive));
  lua_createtable(L, 0, 8);
  if (st.valid & ZIP_STAT_NAME) {
    lua_pushstring(L, st.name);
    lua_setfield(L, -2, "name");
  }
  lua_pushinteger(L, static_cast<lua_Integer>(index + 1));
  lua_setfield(L, -2, "index");
  lua_pushinteger(L, static_cast<lua_Integer>(st.size));
  lua_setfield(L, -2, "size");
  lua_pushinteger(L, static_cast<lua_Integer>(st.comp_size));
  lua_setfield(L, -2, "comp_size");
  lua_pushinteger(L, static_cast<lua_Integer>(st.crc));
  lua_setfield(L, -2, "crc");
  lua_pushinteger(L, static_cast<lua_Integer>(st.mtime));
  lua_setfield(L, -2, "mtime");
  lua_pushinteger(L, st.comp_method);
  lua_setfield(L, -2, "comp_method");
  lua_pushinteger(L, st.encryption_method);
  lua_setfield(L, -2, "encryption_method");
  return 1;
}

int archive_open(lua_State* L) {
  ZipArchive* ud = check_archive(L, 1);
  zip_uint64_t index = 0;
  if (!entry_index(L, ud, 2, optional_flags(L, 3), index)) return push_error(L, "file not found");
  zip_file_t* file = zip_fopen_index(ud->archive, index, 0);
  if (!file) return push_error(L, zip_strerror(ud->archive));

  auto* fud = static_cast<ZipFile*>(lua_newuserdata(L, sizeof(ZipFile)));
  new (fud) ZipFile{file, ud};
  luaL_setmetatable(L, kFileType);
  // The file keeps its archive alive for the collector.
  lua_pushvalue(L, 1);
  lua_setuservalue(L, -2);
  ud->open_files.push_back(fud);
  return 1;
}

int archive_get_num_files(lua_State* L) {
  ZipArchive* ud = check_archive(L, 1);
  lua_pushinteger(L, static_cast<lua_Integer>(zip_get_num_entries(ud->archive, 0)));
  return 1;
}

int archive_close(lua_State* L) {
  close_archive(static_cast<ZipArchive*>(luaL_checkudata(L, 1, kArchiveType)));
  return 0;
}

int archive_gc(lua_State* L) {
  auto* ud = static_cast<ZipArchive*>(luaL_checkudata(L, 1, kArchiveType));
  close_archive(ud);
  ud->~ZipArchive();
  return 0;
}

int file_read(lua_State* L) {
  ZipFile* fud = check_file(L, 1);
  lua_Integer wanted = luaL_checkinteger(L, 2);
  luaL_argcheck(L, wanted >= 0, 2, "negative count");
  luaL_Buffer buffer;
  luaL_buffinit(L, &buffer);
  zip_uint64_t left = static_cast<zip_uint64_t>(wanted);
  while (left > 0) {
    zip_uint64_t piece = std::min<zip_uint64_t>(left, kMaxReadPiece);
    char* out = luaL_prepbuffsize(&buffer, static_cast<size_t>(piece));
    zip_int64_t got = zip_fread(fud->file, out, piece);
    if (got < 0) return push_error(L, zip_file_strerror(fud->file));
    luaL_addsize(&buffer, static_cast<size_t>(got));
    if (got == 0) break;
    left -= static_cast<zip_uint64_t>(got);
  }
  luaL_pushresult(&buffer);
  return 1;
}

int file_close(lua_State* L) {
  auto* fud = static_cast<ZipFile*>(luaL_checkudata(L, 1, kFileType));
  close_file(fud);
  return 0;
}

const luaL_Reg kArchiveMethods[] = {
    {"name_locate", archive_name_locate},
    {"stat", archive_stat},
    {"open", archive_open},
    {"get_num_files", archive_get_num_files},
    {"close", archive_close},
    {nullptr, nullptr},
};

const luaL_Reg kFileMethods[] = {
    {"read", file_read},
    {"close", file_close},
    {nullptr, nullptr},
};

void make_metatable(lua_State* L, const char* type, const luaL_Reg* methods, lua_CFunction gc) {
  luaL_newmetatable(L, type);
  lua_newtable(L);
  vemo::lua_set_guarded_funcs(L, methods, 0);
  lua_setfield(L, -2, "__index");
  vemo::lua_push_guarded(L, gc);
  lua_setfield(L, -2, "__gc");
  lua_pop(L, 1);
}

}  // namespace

int luaopen_vemosdk_zip(lua_State* L) {
  luaL_checkversion(L);
  make_metatable(L, kArchiveType, kArchiveMethods, archive_gc);
  make_metatable(L, kFileType, kFileMethods, file_close);

  lua_newtable(L);
  vemo::lua_push_guarded(L, zip_open_lua);
  lua_setfield(L, -2, "open");
  struct Constant {
    const char* name;
    lua_Integer value;
  };
  const Constant constants[] = {
      {"CHECKCONS", ZIP_CHECKCONS}, {"FL_NOCASE", ZIP_FL_NOCASE}, {"FL_NODIR", ZIP_FL_NODIR},
      {"FL_COMPRESSED", ZIP_FL_COMPRESSED}, {"FL_UNCHANGED", ZIP_FL_UNCHANGED},
  };
  for (const Constant& c : constants) {
    lua_pushinteger(L, c.value);
    lua_setfield(L, -2, c.name);
  }
  return 1;
}
