-- Entry script of the launcher end-to-end tests, in place of the sample's.
-- It keeps the sample's tick and lets the test steer it with flag files in
-- the program folder: show.flag shows the main window, fail.flag makes the
-- next tick raise an error, restart.flag restarts the launcher, exit.flag
-- makes closing the window end the launcher, notification.flag shows a
-- local notification of the request it holds, notice.flag opens the
-- download notification window with its text as the message. Each start
-- adds a line to starts.txt. With linger_at_exit.dll beside it, the
-- launcher's exit takes a while, as a real one's does while it tears down.
local sdk = require 'vemosdk_lua.vemosdk'

local M = {}

local function take_flag(name)
  local file = io.open(name, "rb")
  if not file then return false end
  file:close()
  os.remove(name)
  return true
end

-- The flag's content, or nil when there is no flag; the flag goes.
local function take_flag_text(name)
  local file = io.open(name, "rb")
  if not file then return nil end
  local text = file:read("a")
  file:close()
  os.remove(name)
  return text
end

local sample_tick = sdk.tick
local failed = false
sdk.tick = function()
  if take_flag("fail.flag") then
    failed = true
    error("e2e: tick failed on purpose")
  end
  if failed then
    failed = false
    print("e2e: ticking again after the error")
  end
  if take_flag("restart.flag") then
    print("e2e: restarting")
    print("e2e: restart_self returned " .. tostring(_vemosdk.restart_self()))
  end
  if take_flag("exit.flag") then
    _launcher.set_close_action("exit")
    print("e2e: close action exit")
  end
  local notification = take_flag_text("notification.flag")
  if notification then
    print("e2e: notification " .. tostring(_vemosdk.add_local_notification(notification)))
  end
  local notice = take_flag_text("notice.flag")
  if notice then
    _vemosdk.open_log(true)  -- the window and launcher_tools say what they do in the debug log
    _launcher.create_notification_window(notice, "Start game", "en")
    print("e2e: notice shown")
  end
  if take_flag("show.flag") then
    _launcher.show_main_window()
    print("e2e: main window shown")
  end
  sample_tick()
end

function M.check_for_launcher_update()
  _vemosdk.register_cb("THREAD_EVENT", function(id, json, buffer)
    print(string.format("e2e: THREAD_EVENT id=%d json=%s buffer=%s", id, json, buffer))
  end)
  local starts = io.open("starts.txt", "ab")
  starts:write("start\n")
  starts:close()
  if package.loadlib("linger_at_exit.dll", "*") then print("e2e: exit lingers") end
  print("e2e: entry ran")
  local loaded, message = package.loadlib("thread_poster.dll", "*")
  print("e2e: thread poster loaded: " .. tostring(loaded) .. " " .. tostring(message))
end

return M
