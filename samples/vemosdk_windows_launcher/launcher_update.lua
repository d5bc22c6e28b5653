-- How the launcher replaces its own files. New files are staged in ".update"
-- (here from a local update source folder named in sdkconfig.json as
-- "update_source"; update_download.lua stages downloaded ones the same way). A running launcher
-- cannot replace its own program files, so once one of them is staged the
-- updater takes over: the launcher starts it headless and ends; the updater
-- waits for it to be gone, merges the staged files, and starts the launcher
-- again.
local json = _vemosdk_lua_cjson

local M = {}

-- Files the running launcher holds open: staged, only the updater can put
-- them in place.
local OWN_FILES = { "launcher.exe", "asset_ls/bundle" }
-- The version of the installed file set, a dotted number in a text file.
local VERSION_FILE = "files_version.txt"

local function log(text)
  _vemosdk.log("launcher_update.lua: " .. text)
end

local function program_dir()
  return _vemosdk.sdkinfo().program_dir
end

local function with_separator(folder)
  if folder:sub(-1) == "\\" or folder:sub(-1) == "/" then return folder end
  return folder .. "\\"
end

-- The version in a folder's version file; "0" when it has none.
local function files_version(folder)
  local text = _vemosdk.lread(with_separator(folder) .. VERSION_FILE)
  return text and text:match("^%s*([%d%.]+)") or "0"
end

local function newer(a, b)
  local fa, fb = {}, {}
  for n in a:gmatch("%d+") do fa[#fa + 1] = tonumber(n) end
  for n in b:gmatch("%d+") do fb[#fb + 1] = tonumber(n) end
  for i = 1, math.max(#fa, #fb) do
    local x, y = fa[i] or 0, fb[i] or 0
    if x ~= y then return x > y end
  end
  return false
end

-- A text setting of sdkconfig.json, or nil.
local function setting(name)
  local text = _vemosdk.lread(program_dir() .. "sdkconfig.json")
  local ok, config = pcall(json.decode, text or "")
  return ok and type(config) == "table" and type(config[name]) == "string" and config[name] or nil
end

local function update_source()
  return setting("update_source")
end

-- Copies a newer file set from the update source into ".update"; whether
-- one was staged.
function M.stage_from_update_source()
  local source = update_source()
  if not source then return false end
  local offered, installed = files_version(source), files_version(program_dir())
  if not newer(offered, installed) then
    log("files " .. installed .. " are up to date (source offers " .. offered .. ")")
    return false
  end
  local copied, code, message = _vemosdk.copy_file(source, program_dir() .. ".update")
  if not copied then
    log("staging files " .. offered .. " failed: " .. tostring(code) .. " " .. tostring(message))
    return false
  end
  log("staged files " .. offered .. " over " .. installed)
  return true
end

-- Whether one of the launcher's own files waits in ".update".
function M.own_files_staged()
  for _, name in ipairs(OWN_FILES) do
    if _vemosdk.is_file_exists(program_dir() .. ".update\\" .. name:gsub("/", "\\")) then return true end
  end
  return false
end

-- Starts the updater headless and ends the launcher; false (and the
-- launcher keeps running) when the updater cannot be started.
function M.hand_over_to_updater()
  local command = '"' .. program_dir() .. 'updater.exe" headless_update=applying'
  local started, err = _launcher.launch_process(command)
  if not started then
    log("could not start the updater: error " .. tostring(err))
    return false
  end
  log("updater started, launcher hands over")
  _launcher.shutdown_for_updater()
  return true
end

function M.installed_version()
  return files_version(program_dir())
end

M.setting = setting
M.newer = newer

return M
