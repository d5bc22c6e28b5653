#pragma once
// Walks a module table and every sub-table and calls each function with no
// arguments, the way a script probing the SDK would, and names the ones whose
// call raised "not available". Functions a test must not run (they end the
// process, or open or hide windows) are named in `skipped` and not called.
#include "lua_values.h"

#include <string>

namespace vemo::test {

inline std::string functions_not_available(lua_State* L, const std::string& module, const std::string& skipped) {
  return run_chunk(L, R"(
    local skipped = {}
    for name in (")" + skipped + R"("):gmatch("[^ ]+") do skipped[name] = true end
    local failing, seen = {}, {}
    local function walk(tbl, prefix)
      if seen[tbl] then return end
      seen[tbl] = true
      local keys = {}
      for key in pairs(tbl) do keys[#keys + 1] = key end
      table.sort(keys, function(a, b) return tostring(a) < tostring(b) end)
      for _, key in ipairs(keys) do
        local value, path = tbl[key], prefix .. "." .. tostring(key)
        if type(value) == "table" then
          walk(value, path)
        elseif type(value) == "function" and not skipped[path] then
          local ok, err = pcall(value)
          if not ok and tostring(err):find("not available", 1, true) then failing[#failing + 1] = path end
        end
      end
    end
    walk()" + module + R"(, ")" + module + R"(")
    return table.concat(failing, " ")
  )");
}

}  // namespace vemo::test
