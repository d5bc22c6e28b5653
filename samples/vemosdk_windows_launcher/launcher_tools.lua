-- What the launcher's own windows ask of the scripts: the download
-- notification reports its clicks with jf_report and starts the game with
-- launch_game.
local json = _vemosdk_lua_cjson
local update = require 'vemosdk_windows_launcher.launcher_update'

local M = {}

-- The scripts' jf log lies in vemo\launcher_jf of the program folder.
local JF_FOLDER = "launcher_jf"
local jf_ready = false

local function log(text)
  _vemosdk.log("launcher_tools.lua: " .. text)
end

-- Writes one record to the jf log at once: clicks are rare and must not be
-- lost when the player closes the launcher right after.
function M.jf_report(event, kind, level, fields)
  if not jf_ready then
    _vemosdk.init_jf_file_cache(json.encode({ dir_name = JF_FOLDER }))
    jf_ready = true
  end
  local record = { event = tostring(event), type = kind, level = level, time = _vemosdk.system_ms() }
  if type(fields) == "table" then
    for key, value in pairs(fields) do record[key] = value end
  end
  _vemosdk.jf_log(json.encode(record))
  _vemosdk.flush_jf_log()
  log("jf_report " .. record.event .. " " .. tostring(record.biz_act))
end

-- Starts the game: "game_exe" of sdkconfig.json names it (in the program
-- folder; "game.exe" when unset), "game_args" adds its own options, and the
-- player's language goes along as --language=<lang>. True when it started.
function M.launch_game(args)
  local language = type(args) == "table" and args.language or ""
  local exe = update.setting("game_exe") or "game.exe"
  if exe:find('"') or exe:find("%.%.") then
    log("refusing game_exe " .. exe)
    return false
  end
  local command = '"' .. _vemosdk.sdkinfo().program_dir .. exe .. '"'
  local extra = update.setting("game_args")
  if extra then command = command .. " " .. extra end
  -- Only a plain language tag reaches the game's command line.
  if type(language) == "string" and language:match("^[%w%-_]+$") then
    command = command .. " --language=" .. language
  elseif language ~= "" then
    log("ignoring the language " .. tostring(language))
  end
  local process, code = _vemosdk.launch_process(command)
  if not process then
    log("the game did not start: " .. command .. " (error " .. tostring(code) .. ")")
    return false
  end
  log("game started: " .. command)
  return true
end

return M
