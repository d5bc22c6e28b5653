// The sample scripts' tick with the SDK: a native call posted from C++ is
// decoded with the sample's "FOREIGN_JSON_DECODE" and reaches the module
// function it names, with its arguments as Lua values.
#include "vemosdk_fixture.h"

#include "sdk/native_call_task.h"

namespace {

using SampleTick = vemo::test::VemosdkModule;

// The samples' folder (forward slashes: the path is pasted into Lua); each call records
// its arguments in `calls`.
const std::string kSetUp = std::string("package.path = '") + VEMO_SAMPLES_DIR + "/?.lua;' .. package.path\n" + R"(
calls = {}
local function describe(value)
  if type(value) ~= 'table' then return tostring(value) end
  local keys = {}
  for key in pairs(value) do keys[#keys + 1] = key end
  table.sort(keys)
  for i, key in ipairs(keys) do keys[i] = key .. '=' .. describe(value[key]) end
  return '{' .. table.concat(keys, ',') .. '}'
end
package.preload['vendors.jf'] = function()
  return { commit_event = function(...)
    local parts = {}
    for i = 1, select('#', ...) do parts[i] = describe((select(i, ...))) end
    calls[#calls + 1] = table.concat(parts, ' ')
  end }
end
sdk = require 'vemosdk_lua.vemosdk'
)";

TEST_F(SampleTick, NativeCallsReachTheFunctionTheyNameWithDecodedArguments) {
  ASSERT_EQ("", run(kSetUp));
  EXPECT_EQ("function", run("return type(_vemosdk.get_register_cb('FOREIGN_JSON_DECODE'))"));
  ASSERT_TRUE(post_commit_event("sdk.lua.stat", R"({"is_upload_now":false})", R"({"net_type":2,"action":"load"})"));
  ASSERT_TRUE(post_commit_event("", "{}", R"({"list":[1,2]})"));
  ASSERT_EQ("", run("sdk.tick()"));
  EXPECT_EQ("sdk.lua.stat {is_upload_now=false} {action=load,net_type=2}|nil {} {list={1=1,2=2}}",
            run("return table.concat(calls, '|')"));
}

TEST_F(SampleTick, ACallToAMissingModuleIsLoggedAndTheTickGoesOn) {
  ASSERT_EQ("", run(kSetUp));
  ASSERT_TRUE(post_stat_action("a", "b", 1, "{}"));  // the sample has no vemosdk_stat module
  ASSERT_TRUE(post_commit_event("after", "{}", "{}"));
  ASSERT_EQ("", run("sdk.tick()"));
  EXPECT_EQ("after {} {}", run("return table.concat(calls, '|')"));
}

}  // namespace
