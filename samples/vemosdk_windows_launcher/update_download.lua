-- Downloads a newer file set into ".update". sdkconfig.json names a version
-- manifest as "update_manifest_url":
--   {"version": "1.0.1", "base_url": "...",            -- base_url: optional,
--    "files": [{"path": "game_data/a.dat", "size": 123, "md5": "..."}, ...]}
-- (without base_url the files lie beside the manifest). When the manifest
-- offers a newer version than the installed one, every file is downloaded in
-- one batch and checked against its size and MD5; the whole set is then
-- staged in ".update" at once, which the launcher merges at its next start
-- (or the updater at once, when the launcher's own files are among them). A
-- download cut short is resumed at the next start.
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

-- The set being downloaded lies in a folder of its own beside ".update",
-- which neither the start-up merge nor the updater looks at. Only a whole,
-- verified set becomes ".update", in one rename of the folder, so the merge
-- sees all of a version or nothing of it, whenever the launcher is killed.
local STAGE = ".update"
local DOWNLOADING = ".update.part"
local VERSION_FILE = "files_version.txt"

local function folder_path(name)
  return program_dir() .. name
end

local function parts_folder()
  return _vemosdk.sdkinfo().program_private_dir .. "\\update_parts\\"
end

local function remove(path)
  local removed, code, message = _vemosdk.removefile(path)
  if not removed and _vemosdk.is_file_exists(path) then
    log("could not remove " .. path .. ": " .. tostring(code) .. " " .. tostring(message))
  end
end

-- The version a download folder was started for; nil when there is none.
local function downloading_version()
  local text = _vemosdk.lread(folder_path(DOWNLOADING) .. "\\" .. VERSION_FILE)
  return text and text:match("^%s*([%d%.]+)")
end

-- What an earlier, cut-short download left; nothing to resume.
local function drop_download()
  remove(folder_path(DOWNLOADING))
  remove(parts_folder())
end

-- Prepares the download folder of a version: a folder left by another
-- version goes, one of this version is resumed. The version text goes in
-- first, so it travels with the set.
local function open_download_folder(version)
  local left = downloading_version()
  if left ~= version then
    if left or _vemosdk.is_directory(folder_path(DOWNLOADING)) then
      log("dropping the download left of version " .. tostring(left))
    end
    drop_download()
  end
  _vemosdk.make_dirs(parts_folder())
  _vemosdk.writefile(folder_path(DOWNLOADING) .. "\\" .. VERSION_FILE, version .. "\n", 0, 1)
  return left == version
end

-- on_kept(kept) with kept[i] true for each file of the manifest that an
-- earlier run of this version already downloaded and checked: it is in the
-- download folder with its size and MD5.
local function find_kept(files, resuming, on_kept)
  if not resuming then return on_kept({}) end
  local paths = {}
  for i, file in ipairs(files) do paths[i] = windows_path(file.path) end
  _vemosdk.batch_md5(sdk.callback_id(function(answer)
    local ok, result = pcall(json.decode, answer)
    local digests = ok and type(result) == "table" and type(result.succ_data) == "table" and result.succ_data or {}
    local kept = {}
    for i, file in ipairs(files) do
      local digest = digests[paths[i]]
      kept[i] = type(digest) == "string" and digest:lower() == file.md5:lower() and
                _vemosdk.file_length(folder_path(DOWNLOADING) .. "\\" .. paths[i]) == file.size
    end
    on_kept(kept)
  end), json.encode({ files = paths, base_path = folder_path(DOWNLOADING) }))
end

-- Moves the whole download folder into place as ".update"; on_placed(true)
-- or on_placed(false, why). An empty ".update" (what a full merge leaves)
-- goes first; one that still holds files waits for its merge, and the
-- downloaded set waits for the next start.
local function place_set(on_placed)
  _vemosdk.list_dir_ex(sdk.callback_id(function(answer)
    local ok, listing = pcall(json.decode, answer)
    local entries = ok and type(listing) == "table" and listing.data
    if type(entries) == "table" then
      if #entries > 0 then return on_placed(false, "an earlier update still waits in " .. STAGE) end
      remove(folder_path(STAGE))
    end
    local moved, code, message = _vemosdk.renamefile(folder_path(DOWNLOADING), folder_path(STAGE))
    if not moved then return on_placed(false, "the rename failed: " .. tostring(code) .. " " .. tostring(message)) end
    on_placed(true)
  end), folder_path(STAGE), false)
end

-- Downloads the manifest's files in one batch; on_done(staged) runs once.
local function download_files(manifest, base_url, on_done)
  local files = manifest.files
  local downloading = folder_path(DOWNLOADING) .. "\\"
  local parts = parts_folder()
  local resuming = open_download_folder(manifest.version)
  local total_bytes = 0
  for _, file in ipairs(files) do total_bytes = total_bytes + file.size end

  local done, failed, done_bytes = 0, {}, 0
  local function finish()
    if #failed > 0 then
      -- What arrived intact stays for the next start; nothing is staged.
      log(string.format("update %s failed: %d of %d files did not arrive intact, first %s", manifest.version,
                        #failed, #files, failed[1]))
      report("The update failed", done, #files, true)
      return on_done(false)
    end
    place_set(function(placed, why)
      if not placed then
        log(string.format("update %s is downloaded but not staged: %s", manifest.version, why))
        report("The update failed", done, #files, true)
        return on_done(false)
      end
      remove(parts)
      log(string.format("update %s staged: %d files, %d bytes checked and waiting in .update", manifest.version,
                        #files, total_bytes))
      report("Version " .. manifest.version .. " is ready", #files, #files, true)
      on_done(true)
    end)
  end

  find_kept(files, resuming, function(kept)
    local items, by_id, wanted_bytes = {}, {}, 0
    for i, file in ipairs(files) do
      if kept[i] then
        done, done_bytes = done + 1, done_bytes + file.size
      else
        local item = { cbid = i, taskId = "update-" .. i, encode_path = file.path, checksum = file.md5:lower(),
                       expect_size = file.size, file = parts .. i .. ".part",
                       dest = downloading .. windows_path(file.path) }
        items[#items + 1] = item
        by_id[i] = file
        wanted_bytes = wanted_bytes + file.size
      end
    end
    if resuming then
      log(string.format("resuming version %s: %d of %d files kept from the last run", manifest.version, done,
                        #files))
    end
    if #items == 0 then return finish() end

    local batch_id = sdk.callback_id(function(answer)
      local ok, result = pcall(json.decode, answer)
      if not (ok and type(result) == "table" and result.succ) then
        log("the download list was refused: " .. tostring(answer))
      end
    end)
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
      log(string.format("progress %d/%d files, %d/%d bytes", done, #files, done_bytes + receiving, total_bytes))
      report(string.format("Downloading version %s: %d of %d files", manifest.version, done, #files), done,
             #files, false)
      if done == #files then
        batches[batch_id] = nil
        finish()
      end
    end
    log(string.format("downloading %d files (%d bytes) of version %s", #items, wanted_bytes, manifest.version))
    _vemosdk.submit_download_list(batch_id, { list = json.encode(items), file_ext = { base_url = base_url } })
  end)
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
      drop_download()
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
