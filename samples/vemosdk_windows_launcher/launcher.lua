-- The launcher's entry script: what happens once the program has started.
local sdk = require 'vemosdk_lua.vemosdk'
local update = require 'vemosdk_windows_launcher.launcher_update'
local download = require 'vemosdk_windows_launcher.update_download'
local page = require 'vemosdk_windows_launcher.launcher_page'

local M = {}

function M.check_for_launcher_update()
  -- The sample prints the SDK's debug log, including the tick's heartbeat.
  _vemosdk.open_log(true)
  _vemosdk.log("launcher.lua: check_for_launcher_update, launcher " .. _launcher.get_version() ..
               " in " .. _vemosdk.sdkinfo().program_dir .. ", files " .. update.installed_version())
  -- New launcher files go to the updater, which replaces them while the
  -- launcher is not running.
  local staged = update.stage_from_update_source()
  if update.own_files_staged() and update.hand_over_to_updater() then return end
  -- Closing the window hides the launcher in the notification area; its
  -- menu brings it back or ends it.
  _launcher.set_tray_menu_text("Open the launcher", "Exit")
  _launcher.set_close_action("tray")
  _launcher.show_main_window()
  _vemosdk.log("launcher.lua: main window shown after " .. sdk.tick_count() .. " ticks")
  page.open()
  -- Without a local update source, a download server may offer one; the
  -- player has the window meanwhile.
  if not staged then
    download.on_progress = page.set_progress
    local asked = download.check(update.setting, update.installed_version(), update.newer, function(done)
      if not done then
        page.finish("The game files are up to date")
        return
      end
      if update.own_files_staged() then
        update.hand_over_to_updater()
      else
        _vemosdk.log("launcher.lua: the new files are applied at the next start")
        -- Its button starts the game (launcher_tools.launch_game).
        _launcher.create_notification_window("The update has been downloaded: the game is ready to play.",
                                             "Start game", "en")
      end
    end)
    if not asked then page.set_progress("No update server is configured", 0, 0, true) end
  else
    page.set_progress("New files are staged", 1, 1, true)
  end
end

return M
