#pragma once
// Walks a module table and every sub-table and calls each function with no
// arguments, the way a script probing the SDK would, and names the ones whose
// call raised "not available". Functions that end or replace the process are
// named in `skipped` and not called.
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
      local names = {}
      for name in pairs(tbl) do names[#names + 1] = tostring(name) end
      table.sort(names)
      for _, name in ipairs(names) do
        local value, path = tbl[name], prefix .. "." .. name
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
