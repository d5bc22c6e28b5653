-- Lookups in an FST table against a plain Lua table holding the same
-- 100,000 pairs. Runs in our Lua under Wine (both, and the compile time) and
-- in the native lua5.3 (the plain table only).
--   fst_lookup_bench.lua [keys] [passes]
local count = tonumber(arg and arg[1]) or 100000
local passes = tonumber(arg and arg[2]) or 10

-- The same keys and values in every run: a small linear congruential
-- generator, so both Lua builds make identical pairs.
local seed = 12345
local function random(n)
  seed = (seed * 1103515245 + 12345) % 2147483648
  return seed % n
end
local letters = "etaoinshrdlucmfwypvbgkqjxz"
local function word(min, max)
  local out = {}
  for i = 1, min + random(max - min + 1) do
    local at = random(#letters) + 1
    out[i] = letters:sub(at, at)
  end
  return table.concat(out)
end

collectgarbage("collect")
local before = collectgarbage("count")
local pairs_, keys = {}, {}
while #keys < count do
  local key = word(2, 6) .. "." .. word(2, 6)
  if not pairs_[key] then
    pairs_[key] = "v" .. #keys
    keys[#keys + 1] = key
  end
end
collectgarbage("collect")
local table_bytes = (collectgarbage("count") - before) * 1024 - #keys * 16  -- without the key list itself

local function time_lookups(t)
  local found = 0
  local start = os.clock()
  for _ = 1, passes do
    for i = 1, #keys do
      if t[keys[i]] then found = found + 1 end
    end
  end
  local took = os.clock() - start
  assert(found == passes * #keys, "a key was not found")
  return passes * #keys / took
end

local plain_rate = time_lookups(pairs_)
print(string.format("plain_table lookups_per_s=%.0f bytes_per_key=%.1f", plain_rate, table_bytes / #keys))

local fst = _vemosdk and _vemosdk.fst
if fst then
  local start = os.clock()
  local bytes = fst.create(pairs_)
  local compile = os.clock() - start
  local t = fst.load(bytes)
  local fst_rate = time_lookups(t)
  print(string.format("fst_table lookups_per_s=%.0f bytes_per_key=%.1f compile_s=%.3f", fst_rate, #bytes / #keys,
                      compile))
end
