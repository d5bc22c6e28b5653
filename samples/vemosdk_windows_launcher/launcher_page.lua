-- The launcher's page: shown over the main window from the program folder
-- through the offline scheme, it greets the player, shows the update
-- download's progress, and reports clicks; this script answers its calls.
local json = _vemosdk_lua_cjson

local M = {}

local progress = { text = "Waiting for the update check", done = 0, total = 0, finished = false }

local function log(text)
  _vemosdk.log("launcher_page.lua: " .. text)
end

-- What the page shows of the download; finished stops its polling.
function M.set_progress(text, done, total, finished)
  progress = { text = text, done = done, total = total, finished = finished and true or false }
end

-- Ends the progress with a text, unless it already ended with its own.
function M.finish(text)
  if not progress.finished then M.set_progress(text, 1, 1, true) end
end

local answers = {
  hello = function()
    return { greeting = "Hello from launcher " .. _launcher.get_version() }
  end,
  progress = function()
    return progress
  end,
  click = function(args)
    log(string.format("page click at %s,%s on %s", tostring(args.x), tostring(args.y), tostring(args.target)))
    return { seen = true }
  end,
}

local function on_page_message(json_text)
  local ok, event = pcall(json.decode, json_text)
  if not (ok and type(event) == "table" and type(event.cbid) == "string") then return end
  local args = type(event.args) == "table" and event.args or {}
  local answer = answers[args.type]
  if not answer then
    log("page asked for " .. tostring(args.type))
    return
  end
  _vemosdk.webview_callback_js(event.cbid, json.encode(answer(args)))
end

_vemosdk.register_cb("WEBVIEW_EVENT", function(code, json_text)
  if code == 0 then
    on_page_message(json_text)
  elseif code == 1 then
    log("page closed")
  elseif code == 3 then
    log("page navigation: " .. tostring(json_text))
  elseif code == 4 then
    log("page failed to load: " .. tostring(json_text))
  end
end)

-- The floater a script may open with _vemosdk.FLOATER: shown 101, hidden
-- 102, closed 103, resized 104, moved 105 (with its bounds), clicked 201.
_vemosdk.register_cb("VEMO_FLOATER_EVENT", function(code, json_text)
  log(string.format("floater event %s %s", tostring(code), tostring(json_text or "")))
end)

-- Without a browser runtime beside the launcher there is no page to show.
function M.open()
  local available, found = _vemosdk.is_build_in_webview_available()
  if not available then
    log("no browser runtime (" .. tostring(found) .. "), the launcher shows no page")
    return false
  end
  local program_dir = _vemosdk.sdkinfo().program_dir:gsub("\\", "/")
  local url = "file:///VemoOfflineRedirect/" .. program_dir .. "launcher_page/index.html"
  local injection = { ["launcher_page/index.html"] = { startupData = { title = "Vemo launcher " .. _launcher.get_version() } } }
  log("opening " .. url)
  _vemosdk.webview_open(url, json.encode(injection), json.encode({ custom_error = false }))
  return true
end

return M
