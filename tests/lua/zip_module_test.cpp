#include <gtest/gtest.h>
#include <windows.h>
#include <zip.h>

#include <memory>
#include <string>
#include <vector>

#include "core/owners.h"
#include "lua.hpp"
#include "lua/zip_module.h"
#include "lua_values.h"
#include "test_support.h"

namespace {

using vemo::test::TempDir;

struct Entry {
  std::string name;
  std::string content;
  bool encrypted;
};

void make_zip(const std::string& path, const std::vector<Entry>& entries, const char* password) {
  int error = 0;
  zip_t* out = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(nullptr, out);
  for (const Entry& e : entries) {
    zip_source_t* source = zip_source_buffer(out, e.content.data(), e.content.size(), 0);
    zip_int64_t index = zip_file_add(out, e.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    ASSERT_GE(index, 0);
    if (e.encrypted) {
      ASSERT_EQ(0, zip_file_set_encryption(out, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, password));
    }
  }
  ASSERT_EQ(0, zip_close(out));
}

class ZipModule : public testing::Test {
protected:
  void SetUp() override {
    L_.reset(luaL_newstate());
    luaL_openlibs(L_.get());
    luaL_requiref(L_.get(), "_vemosdk_zip", luaopen_vemosdk_zip, 1);
    lua_pop(L_.get(), 1);
    big_.assign(300000, '\0');
    for (size_t i = 0; i < big_.size(); ++i) big_[i] = static_cast<char>('a' + i % 23);
    make_zip(dir_.file("bundle"), {{"vemosdk_lua/vemosdk.lua", "return 42", true},
                                   {"plain.txt", "plain text", false},
                                   {"big.bin", big_, true},
                                   {"../escape.lua", "return 'just a name'", true}},
             "s3cret");
    set_global("BUNDLE", dir_.file("bundle"));

    ASSERT_TRUE(vemo::test::write_file(dir_.file("not_zip"), "PK\x03\x04 but not really a zip archive"));
    std::string bytes;
    ASSERT_TRUE(vemo::test::read_file(dir_.file("bundle"), bytes));
    ASSERT_TRUE(vemo::test::write_file(dir_.file("truncated"), bytes.substr(0, bytes.size() / 2)));
    set_global("NOT_ZIP", dir_.file("not_zip"));
    set_global("TRUNCATED", dir_.file("truncated"));
  }

  void set_global(const char* name, const std::string& value) {
    lua_pushlstring(L_.get(), value.data(), value.size());
    lua_setglobal(L_.get(), name);
  }

  std::string run(const std::string& chunk) { return vemo::test::run_chunk(L_.get(), chunk); }

  TempDir dir_{"zip_module"};
  vemo::LuaStatePtr L_;
  std::string big_;
};

TEST_F(ZipModule, ReadsEncryptedEntriesWithThePassword) {
  EXPECT_EQ("return 42", run(R"(
    local a = assert(_vemosdk_zip.open(BUNDLE, 0, "s3cret"))
    local st = assert(a:stat("vemosdk_lua/vemosdk.lua"))
    local f = assert(a:open("vemosdk_lua/vemosdk.lua"))
    local text = f:read(st.size)
    f:close() a:close()
    return text)"));
}

TEST_F(ZipModule, LargeEntryReadsWholeAndInPieces) {
  EXPECT_EQ("true", run(R"(
    local a = assert(_vemosdk_zip.open(BUNDLE, 0, "s3cret"))
    local st = a:stat("big.bin")
    local whole = a:open("big.bin"):read(st.size)
    local f = a:open("big.bin")
    local parts = {}
    repeat local p = f:read(7777) parts[#parts + 1] = p until p == ""
    return #whole == 300000 and table.concat(parts) == whole and st.size == 300000)"));
}

TEST_F(ZipModule, LookupsByNameAndIndex) {
  EXPECT_EQ("2 plain.txt 10 true", run(R"(
    local a = assert(_vemosdk_zip.open(BUNDLE))
    local i = a:name_locate("plain.txt")
    local st = a:stat(i)
    return i .. " " .. st.name .. " " .. st.size .. " " .. tostring(a:name_locate("missing") == nil))"));
  EXPECT_EQ("4", run("return _vemosdk_zip.open(BUNDLE):get_num_files()"));
}

struct FailureCase {
  const char* what;
  const char* chunk;
};

class ZipModuleFailures : public ZipModule, public testing::WithParamInterface<FailureCase> {};

// Every failure is nil plus a message, never an error or a crash.
TEST_P(ZipModuleFailures, AnswerNilAndAMessage) {
  EXPECT_EQ("nil string", run(GetParam().chunk)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipModuleFailures,
    testing::Values(
        FailureCase{"missing archive", "local a, e = _vemosdk_zip.open(BUNDLE .. '.none') return tostring(a) .. ' ' .. type(e)"},
        FailureCase{"wrong password", "local a = _vemosdk_zip.open(BUNDLE, 0, 'wrong') local f, e = a:open('vemosdk_lua/vemosdk.lua') return tostring(f) .. ' ' .. type(e)"},
        FailureCase{"no password", "local a = _vemosdk_zip.open(BUNDLE) local f, e = a:open('big.bin') return tostring(f) .. ' ' .. type(e)"},
        FailureCase{"missing entry", "local a = _vemosdk_zip.open(BUNDLE) local f, e = a:open('none.lua') return tostring(f) .. ' ' .. type(e)"},
        FailureCase{"stat of a missing entry", "local a = _vemosdk_zip.open(BUNDLE) local s, e = a:stat('none.lua') return tostring(s) .. ' ' .. type(e)"},
        FailureCase{"index out of range", "local a = _vemosdk_zip.open(BUNDLE) local s, e = a:stat(99) return tostring(s) .. ' ' .. type(e)"},
        FailureCase{"not a zip", "local a, e = _vemosdk_zip.open(NOT_ZIP) return tostring(a) .. ' ' .. type(e)"},
        FailureCase{"truncated zip", "local a, e = _vemosdk_zip.open(TRUNCATED) return tostring(a) .. ' ' .. type(e)"}));

TEST_F(ZipModule, HostileEntryNamesAreOnlyNames) {
  EXPECT_EQ("just a name", run(R"(
    local a = _vemosdk_zip.open(BUNDLE, 0, "s3cret")
    return load(a:open("../escape.lua"):read(100))())"));
  DWORD attributes = GetFileAttributesA((dir_.path() + "\\..\\escape.lua").c_str());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
}

TEST_F(ZipModule, ClosedHandlesRaiseArgumentErrors) {
  EXPECT_NE(std::string::npos, run(R"(
    local a = _vemosdk_zip.open(BUNDLE)
    local f = a:open("plain.txt")
    a:close()
    local ok, e = pcall(f.read, f, 4)
    return e)").find("file is closed"));
  EXPECT_NE(std::string::npos, run(R"(
    local a = _vemosdk_zip.open(BUNDLE) a:close() a:close()
    local ok, e = pcall(a.stat, a, "plain.txt") return e)").find("archive is closed"));
  EXPECT_NE(std::string::npos, run("local ok, e = pcall(_vemosdk_zip.open, {}) return e").find("string expected"));
}

TEST_F(ZipModule, CollectedHandlesReleaseTheirArchive) {
  EXPECT_EQ("true", run(R"(
    for i = 1, 200 do
      local a = _vemosdk_zip.open(BUNDLE, 0, "s3cret")
      local f = a:open("plain.txt")
      if i % 2 == 0 then a = nil end
    end
    collectgarbage() collectgarbage()
    return true)"));
  // The archive file is no longer held open.
  EXPECT_TRUE(DeleteFileA(dir_.file("bundle").c_str()));
}

}  // namespace
