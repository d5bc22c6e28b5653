#include "json_fixture.h"

#include "cjson/vemosdk_lua_cjson.h"

namespace vemo::test {
namespace {

// show(v): integers as "1", floats as "2.5f", strings quoted, tables with
// their keys sorted: {1=..,"k"=..}.
const char* kShow = R"(
local function key_order(a, b)
  local ta, tb = type(a), type(b)
  if ta ~= tb then return ta < tb end
  return a < b
end
function show(v)
  local t = type(v)
  if t == "number" then
    if math.type(v) == "integer" then return tostring(v) end
    return string.format("%.17gf", v)
  elseif t == "string" then
    return string.format("%q", v)
  elseif t == "table" then
    local keys = {}
    for k in pairs(v) do keys[#keys + 1] = k end
    table.sort(keys, key_order)
    local parts = {}
    for _, k in ipairs(keys) do parts[#parts + 1] = show(k) .. "=" .. show(v[k]) end
    return "{" .. table.concat(parts, ",") .. "}"
  end
  return tostring(v)
end
json = _vemosdk_lua_cjson
)";

}  // namespace

void JsonModule::SetUp() {
  L = luaL_newstate();
  luaL_openlibs(L);
  luaL_requiref(L, "_vemosdk_lua_cjson", luaopen_vemosdk_lua_cjson, 1);
  lua_pop(L, 1);
  ASSERT_EQ("", run(kShow));
}

void JsonModule::TearDown() { lua_close(L); }

std::string JsonModule::run(const std::string& chunk) {
  if (luaL_loadstring(L, chunk.c_str()) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK) {
    std::string message = lua_tostring(L, -1);
    lua_pop(L, 1);
    return message;
  }
  return "";
}

std::string JsonModule::eval(const std::string& expression) {
  std::string chunk = "return " + expression;
  if (luaL_loadstring(L, chunk.c_str()) != LUA_OK || lua_pcall(L, 0, 1, 0) != LUA_OK) {
    std::string message = lua_tostring(L, -1);
    lua_pop(L, 1);
    // The chunk's own name makes a long prefix; keep only its line.
    const std::string where = "[string \"";
    size_t end = message.find("\"]:1: ");
    if (message.compare(0, where.size(), where) == 0 && end != std::string::npos) {
      message = "line 1: " + message.substr(end + 6);
    }
    return "error: " + message;
  }
  std::string result = luaL_tolstring(L, -1, nullptr);
  lua_pop(L, 2);
  return result;
}

}  // namespace vemo::test
