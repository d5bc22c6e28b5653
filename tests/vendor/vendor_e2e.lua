-- Entry script of the vendor end-to-end tests, for both programs: it calls
-- the echo vendor every way the scripts can and prints each answer; with
-- crash.flag in the program folder it asks the vendor to crash.
local sdk = require 'vemosdk_lua.vemosdk'

local M = {}

local function say(text) print("vendor-e2e: " .. text) end

local function run()
  _vemosdk.open_log(true)
  say("sync " .. _vemosdk.vendor_sync_call("ECHO", "HELLO", '{"x":1}'))
  say("unknown " .. _vemosdk.vendor_sync_call("NO_SUCH_CHANNEL", "HELLO", "{}"))
  _vemosdk.register_cb("ECHO_EVENT", function(id, json) say("event " .. tostring(id) .. " " .. json) end)
  _vemosdk.vendor_async_call(sdk.callback_id(function(json) say("async " .. json) end),
                             { channel = "ECHO", type = "LATER", params = '{"y":2}' })
  _vemosdk.vendor_async_call(sdk.callback_id(function(json) say("no vendor " .. json) end),
                             { channel = "NO_SUCH_CHANNEL", type = "LATER", params = "{}" })
  _vemosdk.vendor_async_call(sdk.callback_id(function(json) say("no params " .. json) end),
                             { channel = "ECHO", type = "LATER" })
  _vemosdk.vendor_cast("ECHO", "EVENT", '{"z":3}')
  local flag = io.open("crash.flag", "rb")
  if flag then
    flag:close()
    say("crashing")
    _vemosdk.vendor_cast("ECHO", "CRASH", "{}")
  end
end

M.check_for_launcher_update = run
M.check_if_launcher_need_update = run

return M
