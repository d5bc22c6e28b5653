#include "loader_chunk.h"

// Runs with _vemosdk, _vemosdk_zip and get_launcher_config in place. Module
// "a.b" is the entry or file "a/b.lua". Bundle entries are only ever names
// inside the archive; plain files are looked up under the program folder.
const std::string_view kLoaderChunk = R"lua(
local sdk = _vemosdk
local lua_path = get_launcher_config("lua_path")
local bundle_name = get_launcher_config("bundle_name")
local password = get_launcher_config("sk")
sdk.log("$$$$$$$$$ dir:" .. lua_path .. "|" .. bundle_name)

local program_dir = sdk.sdkinfo().program_dir
local source_dir = program_dir .. lua_path
local bundle_path = source_dir .. "/" .. bundle_name
local searchers = package.searchers or package.loaders

local function module_path(name)
  return (string.gsub(name, "%.", "/")) .. ".lua"
end

local function is_bundle(path)
  local archive, err = _vemosdk_zip.open(path, 0, password)
  if not archive then
    sdk.log("$##open zip file failed:" .. path .. ", err_msg:" .. tostring(err))
    return false
  end
  local entry, entry_err = archive:open("vemosdk_lua/vemosdk.lua")
  if entry then entry:close() end
  archive:close()
  if not entry then
    sdk.log("$##open zip file failed:" .. path .. ", err_msg:" .. tostring(entry_err))
    return false
  end
  return true
end

local function install_bundle_searcher()
  local archive = _vemosdk_zip.open(bundle_path, 0, password)
  if not archive then
    sdk.log("$$##failed to create zip loader")
    return false
  end
  table.insert(searchers, 1, function(name)
    local entry_name = module_path(name)
    local stat = archive:stat(entry_name)
    if not stat then
      sdk.log("$##file not found in zip: " .. entry_name)
      return
    end
    local entry = archive:open(entry_name)
    if not entry then
      sdk.log("$##open file failed:" .. entry_name)
      return
    end
    local text = entry:read(stat.size)
    entry:close()
    if not text or #text ~= stat.size then
      sdk.log("$##read file failed:" .. entry_name)
      return
    end
    sdk.log("$##loaded module from zip: " .. entry_name)
    local chunk, err = load(text, "@" .. bundle_path .. ":" .. entry_name, "bt")
    if not chunk then error("source error " .. bundle_path .. ":" .. entry_name .. ": " .. tostring(err)) end
    return chunk, entry_name
  end)
  sdk.log("$$##zip loader added to package loaders")
  return true
end

local function install_file_searcher()
  local base = nil  -- the folder where a module was last found outside lua_path
  table.insert(searchers, function(name)
    local relative = module_path(name)
    local tries = { { lua_path .. "/" .. relative } }
    if base then tries[#tries + 1] = { base .. relative } end
    tries[#tries + 1] = { "vemosdk_res/" .. relative, "vemosdk_res/" }
    tries[#tries + 1] = { relative, "" }
    for _, try in ipairs(tries) do
      local path = program_dir .. try[1]
      local ok, text = pcall(sdk.lread, path)
      if not ok then error("file not found " .. path .. "@" .. name) end
      if text then
        if try[2] then base = try[2] end
        local chunk, err = load(text, "@" .. path, "bt")
        if not chunk then error("source error " .. path .. ": " .. tostring(err)) end
        return chunk, path
      end
    end
    return "\n\tfile not found " .. program_dir .. lua_path .. "/" .. relative .. "@" .. name
  end)
end

if not (is_bundle(bundle_path) and install_bundle_searcher()) then
  install_file_searcher()
end

sdk.register_cb("NATIVE_CALL", function(...)
  local adapter = require("vemosdk_lua.vemosdk_lua_adapter")
  return adapter.input(...)
end)
)lua";
