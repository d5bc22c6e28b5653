#include "lua/lua_http_args.h"

#include <lua.hpp>

#include <cmath>
#include <cstring>

#include "core/path_utils.h"
#include "core/program_relative.h"
#include "core/text_convert.h"

namespace VemoSDK::LuaHttp {
namespace {

bool text_field(lua_State* L, int table, const char* key, std::string& out) {
  bool is_text = lua_getfield(L, table, key) == LUA_TSTRING;
  if (is_text) {
    size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    out.assign(text, length);
  }
  lua_pop(L, 1);
  return is_text;
}

int64_t number_field(lua_State* L, int table, const char* key, int64_t lo, int64_t hi) {
  int64_t value = 0;
  if (lua_getfield(L, table, key) == LUA_TNUMBER) {
    lua_Integer integer = 0;
    if (lua_isinteger(L, -1)) {
      integer = lua_tointeger(L, -1);
      value = integer < lo ? lo : integer > hi ? hi : integer;
    } else {
      value = truncate_number(lua_tonumber(L, -1), lo, hi);
    }
  }
  lua_pop(L, 1);
  return value;
}

int32_t int32_field(lua_State* L, int table, const char* key) {
  return static_cast<int32_t>(number_field(L, table, key, INT32_MIN, INT32_MAX));
}

// A download's file or destination: a relative one in the program folder.
std::string long_path_utf8(const std::string& path) {
  return path.empty() ? path : wstring_to_utf8(to_long_path(in_program_folder(path)));
}

}  // namespace

int64_t truncate_number(double value, int64_t lo, int64_t hi) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(lo)) return lo;
  if (value >= static_cast<double>(hi)) return hi;
  return static_cast<int64_t>(value);
}

bool copy_param(char* field, size_t capacity, const std::string& text, const char* key, std::string& error) {
  if (text.size() < capacity && std::memchr(text.data(), '\0', text.size()) == nullptr) {
    VemoSDKHttp::set_param_text(field, capacity, text);
    return true;
  }
  error = std::string(key) + (text.size() < capacity ? " holds a NUL byte" : " is too long");
  return false;
}

bool read_header_table(lua_State* L, int index, HeaderLines& headers, std::string& error) {
  if (lua_isnoneornil(L, index)) return true;
  luaL_checktype(L, index, LUA_TTABLE);
  index = lua_absindex(L, index);
  lua_pushnil(L);
  while (lua_next(L, index) != 0) {
    // Copies, so that converting a number does not confuse lua_next.
    bool usable = lua_type(L, -2) == LUA_TSTRING && lua_isstring(L, -1);
    if (usable) {
      size_t length = 0;
      const char* text = lua_tolstring(L, -2, &length);
      std::string name(text, length);
      lua_pushvalue(L, -1);
      text = lua_tolstring(L, -1, &length);
      std::string value(text, length);
      lua_pop(L, 1);
      if (!append_header_line(headers.list, name, value, error)) {
        lua_pop(L, 2);
        return false;
      }
      if (name.compare(0, 4, "host") == 0) headers.hostHeader = true;
    }
    lua_pop(L, 1);
  }
  return true;
}

bool append_header_line(vemo::CurlSlist& list, const std::string& name, const std::string& value,
                        std::string& error) {
  std::string line = name + ": " + value;
  if (line.size() >= kHeaderLineBuffer) {
    error = "header line is too long: " + name;
    return false;
  }
  if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
    error = "header line holds a line break: " + name.substr(0, name.find_first_of(std::string("\r\n\0", 3)));
    return false;
  }
  if (!vemo::append_header(list, line.c_str())) {
    error = "no memory for the header lines";
    return false;
  }
  return true;
}

bool skip_host_check(const char* url, bool host_header) {
  return host_header && url && std::strncmp(url, "https://", 8) == 0;
}

bool read_download_params(lua_State* L, int index, DownloadParams& params, std::string& error) {
  luaL_checktype(L, index, LUA_TTABLE);
  index = lua_absindex(L, index);
  std::memset(&params, 0, sizeof params);
  std::string text;
  if (!text_field(L, index, "taskId", text) || text.empty()) {
    error = "taskId is missing";
    return false;
  }
  if (!copy_param(params.taskId, text, "taskId", error)) return false;
  if (text_field(L, index, "file", text) && !copy_param(params.file, long_path_utf8(text), "file", error))
    return false;
  if (text_field(L, index, "checksum", text) &&
      !copy_param(params.checksum, kChecksumField, text, "checksum", error))
    return false;
  if (text_field(L, index, "dest", text) && !copy_param(params.dest, long_path_utf8(text), "dest", error))
    return false;
  if (text_field(L, index, "param_if_range", text) &&
      !copy_param(params.param_if_range, text, "param_if_range", error))
    return false;
  params.expect_size = number_field(L, index, "expect_size", INT64_MIN, INT64_MAX);
  params.dataRetrievalTimeout = int32_field(L, index, "dataRetrievalTimeout");
  params.connectionTimeout = int32_field(L, index, "connectionTimeout");
  params.low_speed_limit_bytes = int32_field(L, index, "low_speed_limit_bytes");
  params.low_speed_limit_timeout_secs = int32_field(L, index, "low_speed_limit_timeout_secs");
  params.thread_count = int32_field(L, index, "thread_count");
  return true;
}

}  // namespace VemoSDK::LuaHttp
