-- Native code asks the scripts to run a module function through the
-- "NATIVE_CALL" event: input(module name, function name, arguments...).
local M = {}

function M.input(module_name, function_name, ...)
  local ok, module = pcall(require, module_name)
  local fn = ok and type(module) == "table" and module[function_name]
  if type(fn) ~= "function" then
    _vemosdk.log("vemosdk_lua_adapter: no function " .. tostring(module_name) .. "." .. tostring(function_name))
    return
  end
  return fn(...)
end

return M
