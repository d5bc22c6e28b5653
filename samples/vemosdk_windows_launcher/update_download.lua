-- Downloads a newer file set into ".update". sdkconfig.json names a version
-- manifest as "update_manifest_url":
--   {"version": "1.0.1", "base_url": "...",            -- base_url: optional,
--    "files": [{"path": "game_data/a.dat", "size": 123, "md5": "..."}, ...]}
-- (without base_url the files lie beside the manifest). When the manifest
-- offers a newer version than the installed one, every file is downloaded in
-- one batch, checked against its size and MD5, and staged under its path in
-- ".update", which the launcher merges at its next start (or the updater at
-- once, when the launcher's own files are among them).
local sdk = require 'vemosdk_lua.vemosdk'
local json = _vemosdk_lua_cjson

local M = {}

-- Set by the caller to follow the download: on_progress(text, done, total, finished).
M.on_progress = nil

local function report(text, done, total, finished)
  if M.on_progress then M.on_progress(text, done, total, finished) end
end

local function log(text)
  _vemosdk.log("update_download.lua: " .. text)
end

local function program_dir()
  return _vemosdk.sdkinfo().program_dir
end

-- Batches in flight: batch id -> the function that takes each bundle's list.
local batches = {}

_vemosdk.register_cb("BATCH_SUBMIT_EVENT", function(batch_id, bundle)
  local on_list = batches[batch_id]
  if not on_list then
    log("bundle for unknown batch " .. tostring(batch_id))
    return
  end
  local ok, decoded = pcall(json.decode, bundle)
  if ok and type(decoded) == "table" and type(decoded.list) == "table" then on_list(decoded.list) end
end)

local function windows_path(path)
  return (path:gsub("/", "\\"))
end

-- A manifest entry is usable when its path stays inside the staging folder.
local function valid_entry(file)
  return type(file) == "table" and type(file.path) == "string" and file.path ~= "" and
         not file.path:find("%.%.") and not file.path:find("^[/\\]") and not file.path:find(":") and
         type(file.md5) == "string" and math.type(file.size) == "integer"
end

local function describe_failure(item, file)
  return string.format("%s (status %s%s)", file and file.path or "?", tostring(item.status),
                       item.msg and (", " .. item.msg) or "")
end

-- Downloads the manifest's files in one batch; on_done(staged) runs once.
local function download_files(manifest, base_url, on_done)
  local staging = program_dir() .. ".update\\"
  local parts = _vemosdk.sdkinfo().program_private_dir .. "update_parts\\"
  _vemosdk.make_dirs(parts)
  local items, by_id, total_bytes = {}, {}, 0
  for i, file in ipairs(manifest.files) do
    items[i] = { cbid = i, taskId = "update-" .. i, encode_path = file.path, checksum = file.md5:lower(),
                 expect_size = file.size, file = parts .. i .. ".part", dest = staging .. windows_path(file.path) }
    by_id[i] = file
    total_bytes = total_bytes + file.size
  end

  local done, failed, done_bytes = 0, {}, 0
  local batch_id = sdk.callback_id(function(answer)
    local ok, result = pcall(json.decode, answer)
    if not (ok and type(result) == "table" and result.succ) then
      log("the download list was refused: " .. tostring(answer))
    end
  end)
  local function finish()
    batches[batch_id] = nil
    _vemosdk.removefile(parts)
    if #failed > 0 then
      -- Half a file set is not staged: the merge would apply it.
      local removed, code, message = _vemosdk.removefile(program_dir() .. ".update")
      if not removed then log("could not remove .update: " .. tostring(code) .. " " .. tostring(message)) end
      log(string.format("update %s failed: %d of %d files did not arrive intact, first %s", manifest.version,
                        #failed, #items, failed[1]))
      report("The update failed", done, #items, true)
      on_done(false)
      return
    end
    _vemosdk.writefile(staging .. "files_version.txt", manifest.version .. "\n", 0, 1)
    log(string.format("update %s staged: %d files, %d bytes checked and waiting in .update", manifest.version,
                      #items, total_bytes))
    report("Version " .. manifest.version .. " is ready", #items, #items, true)
    on_done(true)
  end
  batches[batch_id] = function(list)
    local receiving = 0
    for _, item in ipairs(list) do
      if item.cb_type == "ASYNC_CALL" and by_id[item.cbid] then
        done = done + 1
        if item.status == 200 then
          done_bytes = done_bytes + by_id[item.cbid].size
        else
          failed[#failed + 1] = describe_failure(item, by_id[item.cbid])
        end
      elseif item.cb_type == "HTTP_EVENT" and item.type == nil and type(item.received) == "number" then
        receiving = item.received < 0 and 0 or item.received  -- the file in progress
      end
    end
    log(string.format("progress %d/%d files, %d/%d bytes", done, #items, done_bytes + receiving, total_bytes))
    report(string.format("Downloading version %s: %d of %d files", manifest.version, done, #items), done, #items,
           false)
    if done == #items then finish() end
  end
  log(string.format("downloading %d files (%d bytes) of version %s", #items, total_bytes, manifest.version))
  _vemosdk.submit_download_list(batch_id, { list = json.encode(items), file_ext = { base_url = base_url } })
end

-- Asks the manifest; on_done(staged) runs once, when there was something to
-- do. False when no manifest is configured.
function M.check(config_value, installed_version, is_newer, on_done)
  local url = config_value("update_manifest_url")
  if not url then return false end
  log("asking " .. url .. " (installed " .. installed_version .. ")")
  _vemosdk.http_get(sdk.callback_id(function(answer, body)
    local ok, result = pcall(json.decode, answer)
    local status = ok and type(result) == "table" and result.status or answer
    if status ~= 200 then
      log("no manifest from " .. url .. ": status " .. tostring(status))
      return on_done(false)
    end
    local parsed, manifest = pcall(json.decode, body or "")
    if not (parsed and type(manifest) == "table" and type(manifest.version) == "string" and
            type(manifest.files) == "table") then
      log("the manifest at " .. url .. " is not a manifest")
      return on_done(false)
    end
    for _, file in ipairs(manifest.files) do
      if not valid_entry(file) then
        log("the manifest lists a file it cannot be trusted with: " .. tostring(type(file) == "table" and file.path))
        return on_done(false)
      end
    end
    if not is_newer(manifest.version, installed_version) then
      log("files " .. installed_version .. " are up to date (manifest offers " .. manifest.version .. ")")
      return on_done(false)
    end
    if #manifest.files == 0 then
      log("version " .. manifest.version .. " lists no files")
      return on_done(false)
    end
    download_files(manifest, manifest.base_url or url:match("^(.*)/[^/]*$"), on_done)
  end), url, {})
  return true
end

return M
