-- The updater's entry script. The program has merged the staged update
-- (".update") into its folder before this runs; the script shows how that
-- went, makes sure no launcher of this folder still runs, and starts the
-- launcher again.
local sdk = require 'vemosdk_lua.vemosdk'
local json = _vemosdk_lua_cjson

local M = {}

local STEPS = 10            -- of the progress the window shows before the launcher starts
local STEP_SECONDS = 0.1

local function log(text)
  _vemosdk.log("updater.lua: " .. text)
end

local function progress(options)
  _updater.download_progress(json.encode(options))
end

local function after(seconds, fn)
  _vemosdk.timer_once(sdk.callback_id(fn), seconds)
end

local function program_file(name)
  return _vemosdk.sdkinfo().program_dir .. name
end

local function show_failure(title, detail)
  log(title .. ": " .. detail)
  progress({ titleText = title, leftText = detail, rightText = "", percent = 100, state = 2,
             buttonText = "Retry" })
end

-- Starts the launcher and ends the updater; the updater's instance lock is
-- let go first.
local function start_launcher()
  local launcher = program_file("launcher.exe")
  -- A launcher of this folder that is still running would turn the new one
  -- away as a second instance.
  if _updater.find_process_by_path(launcher) > 0 then
    local matched, killed = _updater.kill_process_by_path(launcher)
    log("old launcher still running: matched " .. matched .. ", ended " .. killed)
  end
  log("starting the launcher, updater done")
  -- Returns only when the launcher could not be started.
  local _, err = _vemosdk.launch_process_kill_self('"' .. launcher .. '"')
  show_failure("Could not start the launcher", "error " .. tostring(err))
end

local function show_step(step)
  local percent = step * 100 / STEPS
  progress({ titleText = "Updating the launcher", leftText = "Applying the new files",
             rightText = string.format("%d%%", percent), percent = percent, state = 0 })
  log(string.format("progress %d%%", percent))
  if step < STEPS then
    after(STEP_SECONDS, function() show_step(step + 1) end)
  else
    after(STEP_SECONDS, start_launcher)
  end
end

function M.check_if_launcher_need_update()
  _vemosdk.open_log(true)
  local merged = _updater.update_merge_ok()
  log("check_if_launcher_need_update, merge " .. (merged and "complete" or "incomplete"))
  if not merged then
    -- The entries that could not be copied stay staged; another round of
    -- the updater tries them again.
    show_failure("Update incomplete", "Some files could not be replaced")
    return
  end
  show_step(0)
end

-- The window's action button: after a failure, another updater round.
function M.actionButtonClick()
  log("actionButtonClick: retrying")
  local _, err = _vemosdk.launch_process_kill_self('"' .. program_file("updater.exe") .. '" headless_update=applying')
  show_failure("Could not restart the updater", "error " .. tostring(err))
end

return M
