-- Entry script of the relative path test, in place of the sample's: every
-- file function, batch operation and download is handed relative paths, and
-- each result is printed as "e2e-rel: <name> <result>". The test starts the
-- launcher from another current folder and looks where the files went. The
-- download's URL is "relative_paths_url" of sdkconfig.json.
local sdk = require 'vemosdk_lua.vemosdk'
local json = _vemosdk_lua_cjson

local M = {}

local function report(name, ...)
  local parts = {}
  for i = 1, select("#", ...) do parts[#parts + 1] = tostring((select(i, ...))) end
  print("e2e-rel: " .. name .. " " .. table.concat(parts, ","))
end

-- The steps that answer later; "done" is printed when none is left.
local waiting = 0
local function later(name)
  waiting = waiting + 1
  return function(answer)
    report(name, answer)
    waiting = waiting - 1
    if waiting == 0 then report("done") end
  end
end

local function batch(fn, name, options)
  _vemosdk[fn](sdk.callback_id(later(name)), json.encode(options))
end

local function sync_steps()
  report("writefile", _vemosdk.writefile("rel/written.txt", "written", 0, 1))
  report("copy_file", _vemosdk.copy_file("rel/written.txt", "rel/copied.txt"))
  report("renamefile", _vemosdk.renamefile("rel/copied.txt", "rel/renamed.txt"))
  report("make_dirs", _vemosdk.make_dirs("rel/made/deep"))
  report("is_directory", _vemosdk.is_directory("rel/made/deep"))
  report("is_file_exists", _vemosdk.is_file_exists("rel/renamed.txt"))
  report("file_length", _vemosdk.file_length("rel/written.txt"))
  report("lread", _vemosdk.lread("rel/written.txt"))
  report("readfile_offset_length", _vemosdk.readfile_offset_length("rel/written.txt", 1, 3))
  local names = _vemosdk.listdir("rel\\*") or {}
  table.sort(names)
  report("listdir", table.concat(names, " "))
  local archive = _vemosdk_zip.open("rel/pack.zip")
  report("zip_open", archive and archive:get_num_files())
  if archive then archive:close() end
  report("removefile", _vemosdk.removefile("rel/keep.txt"))
  _vemosdk.deletefile("rel/doomed.txt")
  report("deletefile", _vemosdk.is_file_exists("rel/doomed.txt"))
end

local function async_steps(url)
  -- The folder is listed once the copy that makes it has answered.
  local copied, listed = later("batch_copy"), later("list_dir_ex")
  _vemosdk.batch_copy(sdk.callback_id(function(answer)
    copied(answer)
    _vemosdk.list_dir_ex(sdk.callback_id(listed), "rel/batch", false)
  end), json.encode({ files = { ["rel/written.txt"] = "rel/batch/plain.txt" } }))
  batch("batch_copy", "batch_copy_based", { files = { ["written.txt"] = "based.txt" },
                                            opts = { src_base_path = "rel", dst_base_path = "rel/batch" } })
  batch("batch_md5", "batch_md5", { files = { "written.txt" }, base_path = "rel" })
  batch("batch_remove", "batch_remove_outside", { files = { "../rel_sentinel.txt" }, opts = { base_path = "rel" } })
  batch("batch_remove", "batch_remove", { files = { "rel/keep2.txt" } })
  _vemosdk.http_get_file(sdk.callback_id(later("http_get_file")), url, {},
                         { taskId = "rel-single", file = "rel/single.part", dest = "rel/single.bin" })
  local on_list = later("submit_download_list")
  local batch_id = sdk.callback_id(function() end)
  _vemosdk.register_cb("BATCH_SUBMIT_EVENT", function(id, bundle)
    if id ~= batch_id then return end
    for _, item in ipairs(json.decode(bundle).list) do
      if item.cb_type == "ASYNC_CALL" then on_list(tostring(item.status)) end
    end
  end)
  local item = { cbid = 1, taskId = "rel-list", encode_path = url:match("[^/]*$"), file = "rel/list.part",
                 dest = "rel/list/listed.bin" }
  _vemosdk.submit_download_list(batch_id, { list = json.encode({ item }),
                                            file_ext = { base_url = url:match("^(.*)/[^/]*$") } })
end

function M.check_for_launcher_update()
  local config = json.decode(_vemosdk.lread("sdkconfig.json"))
  report("sdkconfig", config.launcher_name)
  sync_steps()
  async_steps(config.relative_paths_url)
end

return M
