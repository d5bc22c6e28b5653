-- Sensitive-word filtering the way scripts do it: every start position of
-- the text walks the trie with root_node, get_node and is_end, and the
-- longest word found there is masked. Prints MB/s of text.
--   sensitive_words_bench.lua <words file> <text file>
local W = _vemosdk.sensitive_words
local function read(path)
  local file = assert(io.open(path, "rb"))
  local data = file:read("a")
  file:close()
  return data
end

W.clean()
local inserted = 0
local start = os.clock()
for line in read(arg[1]):gmatch("[^\n]+") do
  W.insert({line:byte(1, -1)})
  inserted = inserted + 1
end
local insert_s = os.clock() - start

local text = read(arg[2])
local root, get_node, is_end, byte = W.root_node(), W.get_node, W.is_end, string.byte
local matches, i, n = 0, 1, #text
start = os.clock()
while i <= n do
  local node, j, found = root, i, 0
  while j <= n do
    node = get_node(node, byte(text, j))
    if not node then break end
    if is_end(node) then found = j end
    j = j + 1
  end
  if found > 0 then
    matches = matches + 1
    i = found + 1
  else
    i = i + 1
  end
end
local filter_s = os.clock() - start
print(string.format("trie words=%d insert_s=%.3f size=%d matches=%d filter_MB_per_s=%.2f", inserted, insert_s,
                    W.size(), matches, n / filter_s / 1e6))
