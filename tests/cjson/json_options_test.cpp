// The option functions, independent instances and the module's fields.
#include <clocale>

#include "json_fixture.h"

namespace vemo::test {
namespace {

using JsonOptions = JsonModule;

TEST_F(JsonOptions, DefaultsAndArgumentChecks) {
  const JsonCase cases[] = {
      {"string.format('%s %s %s', json.encode_sparse_array())", "false 2 10"},
      {"json.encode_max_depth()", "1000"},
      {"json.decode_max_depth()", "1000"},
      {"json.encode_number_precision()", "14"},
      {"json.encode_keep_buffer()", "true"},
      {"json.encode_invalid_numbers()", "false"},
      {"json.decode_invalid_numbers()", "true"},
      {"json.encode_empty_table_as_array()", "false"},
      {"json.encode_max_depth(1, 2)",
       "error: line 1: bad argument #2 to 'encode_max_depth' (found too many arguments)"},
      {"json.encode_sparse_array(true, 2, 10, 1)",
       "error: line 1: bad argument #4 to 'encode_sparse_array' (found too many arguments)"},
      {"json.encode_max_depth(0)",
       "error: line 1: bad argument #1 to 'encode_max_depth' (expected integer between 1 and 2147483647)"},
      {"json.decode_max_depth(2147483648)",
       "error: line 1: bad argument #1 to 'decode_max_depth' (expected integer between 1 and 2147483647)"},
      // The range error always names argument 1, as the reference module does.
      {"json.encode_sparse_array(nil, -1)",
       "error: line 1: bad argument #1 to 'encode_sparse_array' (expected integer between 0 and 2147483647)"},
      {"json.encode_number_precision(17)",
       "error: line 1: bad argument #1 to 'encode_number_precision' (expected integer between 1 and 16)"},
      {"json.encode_number_precision('x')",
       "error: line 1: bad argument #1 to 'encode_number_precision' (number expected, got string)"},
      {"json.encode_keep_buffer('x')", "error: line 1: bad argument #1 to 'encode_keep_buffer' (invalid option 'x')"},
      {"json.encode_invalid_numbers('nil')",
       "error: line 1: bad argument #1 to 'encode_invalid_numbers' (invalid option 'nil')"},
      // Unchanged by the failed calls above.
      {"string.format('%s %s %s', json.encode_sparse_array())", "false 2 10"},
      {"json.encode_number_precision()", "14"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonOptions, EachOptionChangesItsBehaviour) {
  const JsonCase cases[] = {
      {"json.encode_empty_table_as_array(true)", "true"},
      {"json.encode({})", "[]"},
      {"json.encode({a = {}})", R"({"a":[]})"},
      {"json.encode_empty_table_as_array('off')", "false"},
      {"json.encode({})", "{}"},

      {"string.format('%s %s %s', json.encode_sparse_array(true))", "true 2 10"},
      {"show(json.decode(json.encode({[1] = 1, [100] = 2})))", R"({"1"=1,"100"=2})"},
      {"string.format('%s %s %s', json.encode_sparse_array(false, 0))", "false 0 10"},
      {"json.encode({[12] = 1})", "[null,null,null,null,null,null,null,null,null,null,null,1]"},
      {"string.format('%s %s %s', json.encode_sparse_array(nil, 1, 0))", "false 1 0"},
      {"json.encode({1, 2, 3})", "[1,2,3]"},
      {"json.encode({1, 2, [4] = 4})", "error: line 1: Cannot serialise table: excessively sparse array"},

      {"json.encode_invalid_numbers(true)", "true"},
      {"json.encode({1/0, -1/0, 0/0})", "[Infinity,-Infinity,NaN]"},
      {"json.encode_invalid_numbers('null')", "null"},
      {"json.encode({1/0, -1/0, 0/0})", "[null,null,null]"},
      {"json.encode_invalid_numbers('off')", "false"},
      {"json.encode({[1/0] = 1})", "error: line 1: Cannot serialise number: must not be NaN or Infinity"},

      {"json.encode_number_precision(3)", "3"},
      {"json.encode({1/3, 2/3, 12345, 123456.0})", "[0.333,0.667,12345,1.23e+05]"},
      {"json.encode_number_precision(16)", "16"},
      {"json.encode(1/3)", "0.3333333333333333"},
      {"json.encode(0.1)", "0.1"},

      {"json.encode_keep_buffer(false)", "false"},
      {"json.encode({'no', 'kept', 'buffer'})", R"(["no","kept","buffer"])"},
      {"json.encode_keep_buffer('on')", "true"},
      {"json.encode({'kept', 'again'})", R"(["kept","again"])"},

      {"json.encode_max_depth(1)", "1"},
      {"json.encode({1})", "[1]"},
      {"json.encode({{}})", "error: line 1: Cannot serialise, excessive nesting (2)"},
      {"json.decode_max_depth(1)", "1"},
      {"show(json.decode('[1]'))", "{1=1}"},
      {"json.decode('[[1]]')", "error: line 1: Found too many nested data structures (2) at character 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

// Depth limits raised past what the thread's stack holds: nesting from the
// input ends in the module's error, not in a stack overflow of the process.
TEST_F(JsonOptions, NestingBeyondTheStackFailsWithTheDepthError) {
  ASSERT_EQ("", run("json.encode_max_depth(2147483647) json.decode_max_depth(2147483647)"
                    "cycle = {} cycle[1] = cycle deep = string.rep('[', 300000) .. string.rep(']', 300000)"
                    "deep_object = string.rep('{\"k\":', 300000) .. '1' .. string.rep('}', 300000)"));
  const JsonCase cases[] = {
      {"json.encode(cycle)", "error: line 1: Cannot serialise, excessive nesting ("},
      {"json.decode(deep)", "error: line 1: Found too many nested data structures ("},
      {"json.decode(deep_object)", "error: line 1: Found too many nested data structures ("},
  };
  for (const auto& c : cases) {
    std::string result = eval(c.expression);
    EXPECT_EQ(0u, result.find(c.expected)) << c.expression << ": " << result;
  }
  EXPECT_EQ("[[1]]", eval("json.encode(json.decode('[[1]]'))"));
}

TEST_F(JsonOptions, NewGivesAnIndependentInstance) {
  ASSERT_EQ("", run("other = json.new() other.encode_empty_table_as_array(true) other.encode_max_depth(1)"));
  const JsonCase cases[] = {
      {"other.encode({})", "[]"},
      {"json.encode({})", "{}"},
      {"json.encode_max_depth()", "1000"},
      {"json.encode({{}})", "[{}]"},
      {"other.encode({{}})", "error: line 1: Cannot serialise, excessive nesting (2)"},
      {"other.new().encode({})", "{}"},
      {"other._NAME", "_vemosdk_lua_cjson"},
      {"other.null == json.null", "true"},
      {"other.decode(json.encode({a = {1, 2}})).a[2]", "2"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonOptions, ModuleFields) {
  const JsonCase cases[] = {
      {"json.is_support_global()", "true"},
      {"json._NAME", "_vemosdk_lua_cjson"},
      {"json._VERSION", "2.1devel"},
      {"type(json.null)", "userdata"},
      {"json.null == nil", "false"},
      {"package.loaded._vemosdk_lua_cjson == _vemosdk_lua_cjson", "true"},
      {"tostring(json.null):match('^userdata: ') ~= nil", "true"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonOptions, FunctionWithoutItsConfigurationFailsCleanly) {
  ASSERT_EQ("", run("broken = json.new() debug.setupvalue(broken.encode, 1, nil) debug.setupvalue(broken.decode, 1, nil)"));
  EXPECT_EQ("error: line 1: BUG: Unable to fetch CJSON configuration", eval("broken.encode(1)"));
  EXPECT_EQ("error: line 1: BUG: Unable to fetch CJSON configuration", eval("broken.decode('1')"));
  EXPECT_EQ("[1]", eval("json.encode({1})"));
}

// Numbers are written and read with "." whatever the C locale's decimal
// point is.
TEST_F(JsonOptions, NumbersIgnoreTheLocaleDecimalPoint) {
  const char* names[] = {"German_Germany.1252", "de-DE", "German"};
  const char* chosen = nullptr;
  for (const char* name : names) {
    if (std::setlocale(LC_NUMERIC, name)) {
      chosen = name;
      break;
    }
  }
  char probe[8] = {};
  if (chosen) std::snprintf(probe, sizeof(probe), "%.1f", 0.5);
  if (!chosen || probe[1] != ',') {
    std::setlocale(LC_NUMERIC, "C");
    GTEST_SKIP() << "no locale with a decimal comma here";
  }
  std::string seen = eval("(function() local j = json.new() "
                          "return j.encode({0.5, 1.25e10}) .. '|' .. tostring(j.decode('0.25') == 1 / 4) .. '|' "
                          ".. tostring(j.decode('[1.5e2]')[1] == 150) end)()");
  std::setlocale(LC_NUMERIC, "C");
  ASSERT_EQ("", run("json = json.new()"));  // learn the "C" point again
  EXPECT_EQ("[0.5,12500000000]|true|true", seen);
  EXPECT_EQ("0.5", eval("json.encode(0.5)"));
}

}  // namespace
}  // namespace vemo::test
