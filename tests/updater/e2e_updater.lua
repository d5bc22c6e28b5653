-- Entry script of the updater end-to-end tests, in place of the sample's:
-- the window stays up with a progress and an action button until the test
-- drops quit.flag into the program folder.
local sdk = require 'vemosdk_lua.vemosdk'
local json = _vemosdk_lua_cjson

local M = {}

local function take_flag(name)
  local file = io.open(name, "rb")
  if not file then return false end
  file:close()
  os.remove(name)
  return true
end

local sample_tick = sdk.tick
sdk.tick = function()
  if take_flag("quit.flag") then
    print("e2e: quitting")
    os.exit(0)
  end
  sample_tick()
end

function M.check_if_launcher_need_update()
  _vemosdk.open_log(true)
  print("e2e: updater entry ran, merge ok " .. tostring(_updater.update_merge_ok()))
  _updater.download_progress(json.encode({ titleText = "Updating the launcher", leftText = "12 of 30 files",
                                           rightText = "40%", percent = 40, buttonText = "Cancel" }))
end

function M.actionButtonClick()
  print("e2e: action button clicked")
  _updater.download_progress(json.encode({ leftText = "Cancelled", state = 2 }))
end

return M
