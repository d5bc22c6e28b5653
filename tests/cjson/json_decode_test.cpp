// JSON text -> Lua values: types, numbers, escapes and the error texts.
#include "json_fixture.h"

namespace vemo::test {
namespace {

using JsonDecode = JsonModule;

TEST_F(JsonDecode, Values) {
  const JsonCase cases[] = {
      {R"(show(json.decode('[1, 2.5, null, "s"]')))", R"({1=1,2=2.5f,4="s"})"},
      {R"(show(json.decode('{"a":null}')))", "{}"},
      {R"(show(json.decode(' {"a" : [true, false, {}], "b":{"c":-1}} ')))", R"({"a"={1=true,2=false,3={}},"b"={"c"=-1}})"},
      {R"(show(json.decode('[]')))", "{}"},
      {R"(show(json.decode('"x"')))", R"("x")"},
      {R"(show(json.decode('null')))", "nil"},
      {R"(show(json.decode('true')))", "true"},
      {R"(show(json.decode(5)))", "5"},
      {R"(show(json.decode('{"1":"a"}')))", R"({"1"="a"})"},
      {R"(show(json.decode('{"a":1,"a":2}')))", R"({"a"=2})"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonDecode, IntegersStayIntegers) {
  const JsonCase cases[] = {
      {"show(json.decode('0'))", "0"},
      {"show(json.decode('-5'))", "-5"},
      {"show(json.decode('9223372036854775807'))", "9223372036854775807"},
      {"show(json.decode('-9223372036854775808'))", "-9223372036854775808"},
      // Beyond 64 bits the integer conversion saturates.
      {"show(json.decode('9223372036854775808'))", "9223372036854775807"},
      {"show(json.decode('-99999999999999999999'))", "-9223372036854775808"},
      {"show(json.decode('1.0'))", "1f"},
      {"show(json.decode('1.'))", "1f"},
      {"show(json.decode('-0.5'))", "-0.5f"},
      {"show(json.decode('1e2'))", "100f"},
      {"show(json.decode('1E-2'))", "0.01f"},
      {"show(json.decode('12345678901234567890.5'))", "1.2345678901234567e+19f"},
      // While invalid numbers are allowed (the default) the C conversions decide.
      {"show(json.decode('0x10'))", "16"},
      {"show(json.decode('0x1F'))", "31"},
      {"show(json.decode('010'))", "8"},
      {"show(json.decode('+5'))", "5"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonDecode, InvalidNumbers) {
  const JsonCase allowed[] = {
      {"json.decode('NaN')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('nan')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('inf')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('Infinity')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('-Infinity')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('-')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('[1, -x]')", "error: line 1: Expected value but found invalid number at character 5"},
  };
  for (const auto& c : allowed) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;

  EXPECT_EQ("false", eval("json.decode_invalid_numbers(false)"));
  const JsonCase strict[] = {
      {"json.decode('+5')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('01')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('-01')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('0x10')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('NaN')", "error: line 1: Expected value but found invalid number at character 1"},
      {"json.decode('[-inf]')", "error: line 1: Expected value but found invalid number at character 2"},
      {"show(json.decode('[0, -0.5, 10]'))", "{1=0,2=-0.5f,3=10}"},
  };
  for (const auto& c : strict) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonDecode, StringEscapes) {
  const JsonCase cases[] = {
      {R"(json.decode('"a\\"b\\\\c\\/d\\b\\f\\n\\r\\t"'))", "a\"b\\c/d\b\f\n\r\t"},
      {R"(json.decode('"\\u0041\\u00e9\\u20AC"'))", "A\xC3\xA9\xE2\x82\xAC"},
      {R"(json.decode('"\\ud83d\\ude00"'))", "\xF0\x9F\x98\x80"},
      {R"(#json.decode('"\\u0000"'))", "1"},
      {R"(json.decode('"raw \xFF bytes"'))", "raw \xFF bytes"},
      {R"(json.decode('"\\udc00"'))", "error: line 1: Expected value but found invalid unicode escape code at character 2"},
      {R"(json.decode('"ab\\ud800x"'))", "error: line 1: Expected value but found invalid unicode escape code at character 4"},
      {R"(json.decode('"\\ud800\\u0041"'))", "error: line 1: Expected value but found invalid unicode escape code at character 2"},
      {R"(json.decode('"\\u12"'))", "error: line 1: Expected value but found invalid unicode escape code at character 2"},
      {R"(json.decode('"a\\qb"'))", "error: line 1: Expected value but found invalid escape code at character 3"},
      {R"(json.decode('"ab\\'))", "error: line 1: Expected value but found invalid escape code at character 4"},
      {R"(json.decode('"abc'))", "error: line 1: Expected value but found unexpected end of string at character 5"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonDecode, SyntaxErrorsNameWhatWasExpectedAndWhere) {
  const JsonCase cases[] = {
      {"json.decode('')", "error: line 1: Expected value but found T_END at character 1"},
      {"json.decode('  ')", "error: line 1: Expected value but found T_END at character 3"},
      {"json.decode('[1,2')", "error: line 1: Expected comma or array end but found T_END at character 5"},
      {"json.decode('[1 2]')", "error: line 1: Expected comma or array end but found T_INTEGER at character 4"},
      {"json.decode('[1,]')", "error: line 1: Expected value but found T_ARR_END at character 4"},
      {"json.decode('[[[')", "error: line 1: Expected value but found T_END at character 4"},
      {"json.decode('{1:2}')", "error: line 1: Expected object key string but found T_INTEGER at character 2"},
      {"json.decode('{,}')", "error: line 1: Expected object key string but found T_COMMA at character 2"},
      {R"(json.decode('{"a":1,}'))", "error: line 1: Expected object key string but found T_OBJ_END at character 8"},
      {R"(json.decode('{"a" 1}'))", "error: line 1: Expected colon but found T_INTEGER at character 6"},
      {R"(json.decode('{"a" 1.5}'))", "error: line 1: Expected colon but found T_NUMBER at character 6"},
      {R"(json.decode('{"a":1 "b"}'))", "error: line 1: Expected comma or object end but found T_STRING at character 8"},
      {"json.decode('nul')", "error: line 1: Expected value but found invalid token at character 1"},
      {"json.decode('tru')", "error: line 1: Expected value but found invalid token at character 1"},
      {"json.decode('.5')", "error: line 1: Expected value but found invalid token at character 1"},
      {"json.decode('truex')", "error: line 1: Expected the end but found invalid token at character 5"},
      {"json.decode('[1] x')", "error: line 1: Expected the end but found invalid token at character 5"},
      {"json.decode('1 2')", "error: line 1: Expected the end but found T_INTEGER at character 3"},
      {"json.decode('1.5e')", "error: line 1: Expected the end but found invalid token at character 4"},
      {"json.decode(']')", "error: line 1: Expected value but found T_ARR_END at character 1"},
      {R"(json.decode('\0a'))", "error: line 1: JSON parser does not support UTF-16 or UTF-32"},
      {R"(json.decode('a\0'))", "error: line 1: JSON parser does not support UTF-16 or UTF-32"},
      {"json.decode()", "error: line 1: bad argument #1 to 'decode' (expected 1 argument)"},
      {"json.decode('1', '2')", "error: line 1: bad argument #1 to 'decode' (expected 1 argument)"},
      {"json.decode({})", "error: line 1: bad argument #1 to 'decode' (string expected, got table)"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, eval(c.expression)) << c.expression;
}

TEST_F(JsonDecode, NestingDepthIsLimited) {
  EXPECT_EQ("{1={1={}}}", eval("show(json.decode(string.rep('[', 3) .. string.rep(']', 3)))"));
  EXPECT_EQ("true", eval("type(json.decode(string.rep('[', 1000) .. string.rep(']', 1000))) == 'table'"));
  EXPECT_EQ("error: line 1: Found too many nested data structures (1001) at character 1001",
            eval("json.decode(string.rep('[', 1001) .. string.rep(']', 1001))"));
  EXPECT_EQ("2", eval("json.decode_max_depth(2)"));
  EXPECT_EQ("error: line 1: Found too many nested data structures (3) at character 3", eval("json.decode('[[[1]]]')"));
  EXPECT_EQ("error: line 1: Found too many nested data structures (3) at character 11",
            eval(R"(json.decode('{"a":{"b":{}}}'))"));
  EXPECT_EQ("{1={1=1}}", eval("show(json.decode('[[1]]'))"));
}

}  // namespace
}  // namespace vemo::test
