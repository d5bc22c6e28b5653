// A large generated document survives encode and decode unchanged, with
// the kept buffer and with a fresh buffer per call.
#include "json_fixture.h"

namespace vemo::test {
namespace {

using JsonRoundTrip = JsonModule;

const char* kGenerate = R"(
local seed = 12345
local function random(n)
  seed = (seed * 1103515245 + 12345) % 2147483648
  return seed % n
end
local function random_string()
  local bytes = {}
  for i = 1, random(24) do bytes[i] = random(256) end
  return string.char(table.unpack(bytes))
end
local numbers = {0, -1, math.maxinteger, math.mininteger, 0.5, -0.25, 1e-300, 1.5e300, 12345.678}
local function random_value(depth)
  local kind = random(depth > 2 and 4 or 7)
  if kind == 0 then return random_string()
  elseif kind == 1 then return random(2) == 1
  elseif kind == 2 then return numbers[random(#numbers) + 1]
  elseif kind == 3 then return random(2000000) - 1000000
  elseif kind <= 5 then
    local t = {}
    for i = 1, random(12) do t[i] = random_value(depth + 1) end
    return t
  else
    local t = {}
    for _ = 1, random(12) do t[random_string()] = random_value(depth + 1) end
    return t
  end
end
function generate(count)
  local doc = {}
  for i = 1, count do doc[i] = random_value(0) end
  return doc
end
function same(a, b)
  if type(a) ~= type(b) then return false end
  if type(a) ~= "table" then return a == b and math.type(a) == math.type(b) end
  for k, v in pairs(a) do if not same(v, b[k]) then return false end end
  for k in pairs(b) do if a[k] == nil then return false end end
  return true
end
)";

TEST_F(JsonRoundTrip, LargeGeneratedDocument) {
  ASSERT_EQ("", run(kGenerate));
  ASSERT_EQ("", run("doc = generate(20000) text = json.encode(doc)"));
  EXPECT_EQ("true", eval("#text > 1000000")) << eval("#text");
  for (const char* keep : {"true", "false"}) {
    ASSERT_EQ("", run(std::string("json.encode_keep_buffer(") + keep + ")"));
    EXPECT_EQ("true", eval("same(doc, json.decode(text))")) << keep;
    EXPECT_EQ("true", eval("same(doc, json.decode(json.encode(json.decode(text))))")) << keep;
  }
}

}  // namespace
}  // namespace vemo::test
