// Lua values -> JSON text: types, numbers, strings, arrays and objects.
#include "json_fixture.h"

namespace vemo::test {
namespace {

using JsonEncode = JsonModule;

TEST_F(JsonEncode, ScalarsAndNumbers) {
  const JsonCase cases[] = {
      {"json.encode(true)", "true"},
      {"json.encode(false)", "false"},
      {"json.encode(nil)", "null"},
      {"json.encode(json.null)", "null"},
      {"json.encode(print)", "null"},
      {"json.encode(3)", "3"},
      {"json.encode(3.0)", "3"},
      {"json.encode(-17)", "-17"},
      {"json.encode(2^63)", "9.2233720368548e+18"},
      {"json.encode(math.maxinteger)", "9223372036854775807"},
      {"json.encode(math.mininteger)", "-9223372036854775808"},
      {"json.encode(0.1)", "0.1"},
      {"json.encode(1/3)", "0.33333333333333"},
      {"json.encode(-0.0)", "-0"},
      {"json.encode(1e300)", "1e+300"},
      {"json.encode(1e-7)", "1e-07"},
      {"json.encode(123456789012345.0)", "1.2345678901234e+14"},
      {"json.encode(0/0)", "error: line 1: Cannot serialise number: must not be NaN or Infinity"},
      {"json.encode(-1/0)", "error: line 1: Cannot serialise number: must not be NaN or Infinity"},
      {"json.encode(io.stdout)", "error: line 1: Cannot serialise userdata: type not supported"},
      {"json.encode(coroutine.create(print))", "error: line 1: Cannot serialise thread: type not supported"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonEncode, StringsEscapeControlBytesQuotesAndSlashes) {
  const JsonCase cases[] = {
      {R"(json.encode("plain text"))", R"("plain text")"},
      {R"(json.encode(""))", R"("")"},
      {R"(json.encode("\0\1\31\127"))", R"("\u0000\u0001\u001f\u007f")"},
      {R"(json.encode("\b\t\n\f\r"))", R"("\b\t\n\f\r")"},
      {R"(json.encode("a\"b\\c/d"))", R"("a\"b\\c\/d")"},
      // Bytes above 127 are copied, valid UTF-8 or not.
      {R"(json.encode("\xC3\xA9\xFF"))", "\"\xC3\xA9\xFF\""},
      {R"(json.encode({["k\n"] = "v"}))", R"({"k\n":"v"})"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonEncode, TablesBecomeArraysOrObjects) {
  const JsonCase cases[] = {
      {"json.encode({})", "{}"},
      {"json.encode({1, 2, 3})", "[1,2,3]"},
      {"json.encode({1, {2, {3}}, {}})", "[1,[2,[3]],{}]"},
      {"json.encode({1, 2, nil, 4})", "[1,2,null,4]"},
      {"json.encode({[10] = 1})", "[null,null,null,null,null,null,null,null,null,1]"},
      {"json.encode({[11] = 1})", "error: line 1: Cannot serialise table: excessively sparse array"},
      {"json.encode({[1] = 1, [100] = 2})", "error: line 1: Cannot serialise table: excessively sparse array"},
      {"json.encode({[0] = 1})", R"({"0":1})"},
      {"json.encode({[-1] = 1})", R"({"-1":1})"},
      {"json.encode({[1.5] = 1})", R"({"1.5":1})"},
      {"json.encode({a = {b = {}}})", R"({"a":{"b":{}}})"},
      {"show(json.decode(json.encode({1, 2, x = 3})))", R"({"1"=1,"2"=2,"x"=3})"},
      {"json.encode({[true] = 1})", "error: line 1: Cannot serialise boolean: table key must be a number or string"},
      {"json.encode({[{}] = 1})", "error: line 1: Cannot serialise table: table key must be a number or string"},
      {"json.encode({1, io.stdout})", "error: line 1: Cannot serialise userdata: type not supported"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonEncode, LenMetamethodMakesAProxyArray) {
  ASSERT_EQ("", run(R"(
    function proxy(n, index) return setmetatable({}, {__len = function() return n end, __index = index}) end
  )"));
  const JsonCase cases[] = {
      {"json.encode(proxy(0))", "[]"},
      {"json.encode(proxy(3, function(_, i) return i * 10 end))", "[10,20,30]"},
      {"json.encode(proxy(2.0, function(_, i) return i end))", "[1,2]"},
      {"json.encode(proxy(2, {'a'}))", R"(["a",null])"},
      {"json.encode({list = proxy(1, {true})})", R"({"list":[true]})"},
      {"json.encode(proxy('2'))", "error: line 1: __len should return integer"},
      {"json.encode(proxy(1.5))", "error: line 1: __len should return integer"},
      // A metamethod that encodes again must not disturb the outer text.
      {"json.encode(proxy(2, function(_, i) return json.encode({i, {k = i}}) end))",
       R"(["[1,{\"k\":1}]","[2,{\"k\":2}]"])"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonEncode, ErrorInsideAMetamethodLeavesTheModuleUsable) {
  ASSERT_EQ("", run(R"(
    bad = setmetatable({}, {__len = function() return 1 end, __index = function() error("boom", 0) end})
  )"));
  for (const char* keep : {"true", "false"}) {
    ASSERT_EQ("", run(std::string("json.encode_keep_buffer(") + keep + ")"));
    EXPECT_EQ("error: boom", eval("json.encode({1, bad})")) << keep;
    EXPECT_EQ("[1,2]", eval("json.encode({1, 2})")) << keep;
  }
}

TEST_F(JsonEncode, NestingDepthIsLimited) {
  ASSERT_EQ("", run(R"(
    function nested(depth)
      local t = {}
      for _ = 2, depth do t = {t} end
      return t
    end
  )"));
  EXPECT_EQ(std::string(999, '[') + "{}" + std::string(999, ']'), eval("json.encode(nested(1000))"));
  EXPECT_EQ("error: line 1: Cannot serialise, excessive nesting (1001)", eval("json.encode(nested(1001))"));
  EXPECT_EQ("2", eval("json.encode_max_depth(2)"));
  EXPECT_EQ("[{}]", eval("json.encode(nested(2))"));
  EXPECT_EQ("error: line 1: Cannot serialise, excessive nesting (3)", eval("json.encode({{{}}})"));
  // A table seen twice is not a cycle, but a cycle ends at the depth limit.
  EXPECT_EQ("error: line 1: Cannot serialise, excessive nesting (3)", eval("(function() local t = {} t[1] = t return json.encode(t) end)()"));
}

TEST_F(JsonEncode, ExactlyOneArgument) {
  EXPECT_EQ("error: line 1: bad argument #1 to 'encode' (expected 1 argument)", eval("json.encode()"));
  EXPECT_EQ("error: line 1: bad argument #1 to 'encode' (expected 1 argument)", eval("json.encode(1, 2)"));
}

}  // namespace
}  // namespace vemo::test
