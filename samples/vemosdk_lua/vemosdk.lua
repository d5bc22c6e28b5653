-- The SDK side of the scripts: the tick that both programs call every
-- 100 ms drains the native task queue and hands each task to the handler
-- registered under its name; results of asynchronous calls are matched to
-- the function that asked for them.
local M = {}

local tick_count = 0
local next_callback_id = 0
local pending_calls = {}

-- Returns a callback id for an asynchronous _vemosdk call; on_result(json,
-- buffer) runs once when its "ASYNC_CALL" result arrives.
function M.callback_id(on_result)
  next_callback_id = next_callback_id + 1
  pending_calls[next_callback_id] = on_result
  return next_callback_id
end

local function on_async_call(id, json, buffer)
  local on_result = pending_calls[id]
  pending_calls[id] = nil
  if on_result then
    on_result(json, buffer)
  else
    _vemosdk.log("vemosdk.lua: result for unknown callback id " .. tostring(id))
  end
end

-- Native code asks for a module function: "FOREIGN_NATIVE_CALL", the
-- module name, the function name and its arguments.
local function native_call(module_name, function_name, ...)
  local ok, module = pcall(require, module_name)
  local fn = ok and type(module) == "table" and module[function_name]
  if type(fn) ~= "function" then
    _vemosdk.log("vemosdk.lua: no function " .. tostring(module_name) .. "." .. tostring(function_name))
    return
  end
  fn(...)
end

local function dispatch(name, ...)
  if name == "FOREIGN_NATIVE_CALL" then return native_call(...) end
  local handler = _vemosdk.get_register_cb(name)
  if handler then
    handler(...)
  else
    _vemosdk.log("vemosdk.lua: no handler for " .. tostring(name))
  end
end

-- Takes every waiting task; _vemosdk.tick gives one per call, nil when none.
local function drain(name, ...)
  if name == nil then return false end
  dispatch(name, ...)
  return true
end

function M.tick()
  tick_count = tick_count + 1
  if tick_count % 10 == 0 then
    _vemosdk.log(string.format("vemosdk.lua: tick %d at %d ms", tick_count, math.floor(os.clock() * 1000)))
  end
  while drain(_vemosdk.tick()) do end
end

function M.tick_count()
  return tick_count
end

_vemosdk.register_cb("ASYNC_CALL", on_async_call)
-- The native side decodes the JSON arguments of its calls with this.
_vemosdk.register_cb("FOREIGN_JSON_DECODE", function(text)
  return _vemosdk_lua_cjson.decode(text)
end)

-- Native code hands statistics (web view load times among them) to the
-- scripts as calls of a module function with decoded JSON arguments; the
-- sample has no statistics service and writes each record to the log.
_vemosdk.register_cb("FOREIGN_JSON_DECODE", function(text)
  return _vemosdk_lua_cjson.decode(text)
end)

_vemosdk.register_cb("FOREIGN_NATIVE_CALL", function(module, fn, event, labels, stats)
  local action = type(stats) == "table" and stats.action or ""
  _vemosdk.log(string.format("vemosdk.lua: %s.%s %s %s %s", tostring(module), tostring(fn), tostring(event),
    tostring(action), type(stats) == "table" and _vemosdk_lua_cjson.encode(stats) or ""))
end)

return M
