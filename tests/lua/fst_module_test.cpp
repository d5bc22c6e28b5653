// The fst sub-table from Lua: compiling tables into strings and files,
// loading them, lookups, the varint codec, and the errors scripts meet.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "vemosdk_fixture.h"

namespace {

using vemo::test::TempDir;

class FstFromLua : public vemo::test::VemosdkModule {
protected:
  void SetUp() override {
    VemosdkModule::SetUp();
    ASSERT_EQ("", run("F = _vemosdk.fst"));
  }
  TempDir dir{"lua-fst"};
};

TEST_F(FstFromLua, PairsCompileAndLoadFromAStringOrAFile) {
  EXPECT_EQ("string,1,2,nil,nil,0", run("local bytes = F.create({a = '1', ab = '2'}) t = F.load(bytes) "
                                        "return type(bytes), t.a, t.ab, t.b, t[''], #t"));
  EXPECT_EQ("0", run("local n = 0 for _ in pairs(t) do n = n + 1 end return n"));
  // Number values are their text; keys that are not strings, and values
  // that are neither strings nor numbers, are left out.
  std::string path = dir.file("sub\\table.fst");
  EXPECT_EQ(path + ",3.5,12,nil,nil",
            run("local p = F.create({x = 3.5, y = 12, z = true, [1] = 'one'}, " + quoted(path) + ") "
                "local f = F.load(p, true) return p, f.x, f.y, f.z, f['1']"));
  EXPECT_EQ("true", run("collectgarbage() collectgarbage() return t.ab == '2'"));
}

TEST_F(FstFromLua, TenThousandRandomPairsResolve) {
  EXPECT_EQ("true,true", run(R"(
    math.randomseed(11)
    local pairs_, value_bytes, n = {}, 0, 0
    while n < 10000 do
      local key = {}
      for i = 1, math.random(1, 10) do key[i] = string.char(math.random(97, 106)) end
      key = table.concat(key)
      if not pairs_[key] then
        local value = {}
        for i = 1, math.random(1, 13) do value[i] = string.char(math.random(0, 255)) end
        pairs_[key] = table.concat(value)
        value_bytes = value_bytes + #pairs_[key]
        n = n + 1
      end
    end
    local t = F.load(F.create(pairs_))
    for key, value in pairs(pairs_) do
      if t[key] ~= value then return 'wrong at ' .. key end
      if not pairs_[key .. 'z'] and t[key .. 'z'] ~= nil then return 'found ' .. key .. 'z' end
    end
    return value_bytes > 65000, true)"));
}

TEST_F(FstFromLua, DamagedDataIsRefusedOrAnsweredWithoutCrashing) {
  EXPECT_EQ("true", run(R"(
    local src = {}
    for i = 1, 200 do src['k' .. i] = 'value ' .. i end
    local bytes = F.create(src)
    for length = 0, #bytes - 1 do
      local ok, t = pcall(F.load, bytes:sub(1, length))
      if ok then
        for i = 1, 200, 7 do
          local found, value = pcall(function() return t['k' .. i] end)
          if not found and not value:find('Invalid FST data') then return value end
        end
      elseif not t:find('Invalid FST data') then
        return t
      end
    end
    return true)"));
}

TEST_F(FstFromLua, ErrorsNameWhatWentWrong) {
  expect_each_contains({
      {"return F.create({[''] = 'x', a = '1'})", "Failed to compile FST"},
      {"return F.load('not an fst')", "Invalid FST data"},
      {"return F.load('')", "Invalid FST data"},
      {"return F.load(" + quoted(dir.file("missing.fst")) + ", true)",
       "Failed to open file for reading: " + dir.file("missing.fst")},
      {"return F.create({a = '1'}, " + quoted(dir.path()) + ")", "Failed to open file for writing: " + dir.path()},
      {"return F.create('a')", "table expected"},
  });
}

TEST_F(FstFromLua, VarintsAreForwardLeb128Of32BitValues) {
  EXPECT_EQ("true,300,2", run("local b = F.varint_encode(300) return b == '\\xAC\\x02', F.varint_decode(b)"));
  EXPECT_EQ("true,4294967295,5", run("local b = F.varint_encode(4294967295) return #b == 5, F.varint_decode(b)"));
  EXPECT_EQ("0,1,300,127,4", run("local all = F.varint_decode(F.varint_encode({0, 1, 300, 127.0}), true) "
                                 "return all[1], all[2], all[3], all[4], #all"));
  EXPECT_EQ("0", run("return #F.varint_decode('', true)"));
  expect_each_contains({
      {"return F.varint_decode('\\x80')", "Invalid varint data"},
      {"return F.varint_decode('\\x01\\x80', true)", "Invalid varint data"},
      {"return F.varint_decode('')", "Invalid varint data"},
      {"return F.varint_decode('\\xff\\xff\\xff\\xff\\x1f')", "Invalid varint data"},
      {"return F.varint_decode('\\x80\\x80\\x80\\x80\\x80\\x00')", "Invalid varint data"},
      {"return F.varint_encode(-1)", "Negative integers not supported"},
      {"return F.varint_encode({1, 'x'})", "Array must contain only integers"},
      {"return F.varint_encode({1.5})", "Array must contain only integers"},
      {"return F.varint_encode('7')", "Expected integer or table of integers"},
      {"return F.varint_encode(4294967296)", "Integer too large for a 32-bit varint"},
  });
}

}  // namespace
