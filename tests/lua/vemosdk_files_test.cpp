// The _vemosdk file functions, called from Lua on fixture trees.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/path_utils.h"
#include "file_fixtures.h"
#include "test_support.h"
#include "vemosdk_fixture.h"

namespace {

using vemo::test::content_of;
using vemo::test::exists;
using vemo::test::make_tree;
using vemo::test::TempDir;
using testing::HasSubstr;
using testing::StartsWith;

class FileFunctions : public vemo::test::VemosdkModule {
protected:
  // A Lua literal of a path inside the fixture folder.
  std::string at(const std::string& relative) const { return quoted(dir.file(relative)); }
  // A JSON string of a path inside it.
  std::string json_at(const std::string& relative) const {
    std::string out = "\"";
    for (char c : relative.empty() ? dir.path() : dir.file(relative)) out += c == '\\' ? "\\\\" : std::string(1, c);
    return out + "\"";
  }

  TempDir dir{"lua-files"};
};

// writefile with absolute 0 writes below the data folder of the program
// (the folder of this test exe), in a folder of this test's own.
class WriteFileInDataFolder : public FileFunctions {
protected:
  void TearDown() override { run("_vemosdk.removefile(" + quoted(data_dir()) + ")"); }
  std::string data_dir() const { return get_vemo_data_path(sub); }

  std::string sub = "writefile-" + std::to_string(GetCurrentProcessId());
};

TEST_F(WriteFileInDataFolder, RelativePathWithSubFolderLandsUnderTheDataFolder) {
  EXPECT_EQ("1.0", run("return _vemosdk.writefile('" + sub + "/a/b.txt', 'one', 0)"));
  EXPECT_EQ("one", content_of(data_dir() + "\\a\\b.txt"));
  EXPECT_EQ("1.0", run("return _vemosdk.writefile('" + sub + "/a/b.txt', '+two', 1, 0)"));
  EXPECT_EQ("one+two", content_of(data_dir() + "\\a\\b.txt"));
  EXPECT_EQ("1.0", run("return _vemosdk.writefile('" + sub + "/a/b.txt', 'new', 0)"));
  EXPECT_EQ("new", content_of(data_dir() + "\\a\\b.txt"));
  // Staying inside is what counts: ".." that does not climb out is taken.
  EXPECT_EQ("1.0", run("return _vemosdk.writefile('" + sub + "/a/../c.txt', 'c', 0)"));
  EXPECT_EQ("c", content_of(data_dir() + "\\c.txt"));
}

TEST_F(WriteFileInDataFolder, PathsLeavingTheDataFolderAreRefused) {
  std::string outside = dir.file("outside.txt");
  const std::string cases[] = {
      "..\\" + sub + ".txt",
      sub + "/../../" + sub + ".txt",
      outside,  // absolute, with a drive
      "C:" + sub + ".txt",
      "\\" + sub + ".txt",
      "/" + sub + ".txt",
      sub + ".txt:stream",
      "",
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    EXPECT_THAT(run("return _vemosdk.writefile(" + quoted(path) + ", 'x', 0)"),
                HasSubstr("Write file fail: " + path + ". A relative path must stay inside the data folder."));
  }
  EXPECT_FALSE(exists(outside));
  EXPECT_FALSE(exists(get_program_dir() + sub + ".txt"));
}

TEST_F(FileFunctions, WriteFileWithAbsoluteSetTakesThePathAsGiven) {
  EXPECT_EQ("1.0", run("return _vemosdk.writefile(" + at("x\\y.bin") + ", 'a\\0b', 0, 1)"));
  EXPECT_EQ(std::string("a\0b", 3), content_of(dir.file("x\\y.bin")));
  // A folder where the file should be: the write fails as a Lua error.
  EXPECT_THAT(run("return _vemosdk.writefile(" + at("x") + ", 'z', 0, 1)"),
              HasSubstr("Write file fail: " + dir.file("x") + ".\n"));
}

TEST_F(FileFunctions, LreadGivesTheBytesOrNil) {
  make_tree(dir.path(), {{"data.bin", std::string("\0\1\2xyz", 6)}});
  EXPECT_EQ("6,true", run("local d = _vemosdk.lread(" + at("data.bin") + ") return #d, d == '\\0\\1\\2xyz'"));
  EXPECT_EQ("nil", run("return _vemosdk.lread(" + at("missing.bin") + ")"));
}

TEST_F(FileFunctions, ListdirNamesTheFilesOnlyAndNothingForAMissingFolder) {
  make_tree(dir.path(), {{"a.txt", "a"}, {"b.txt", "b"}, {"sub\\c.txt", "c"}, {"only\\dirs\\x", "x"}});
  EXPECT_EQ("a.txt b.txt", run("local t = _vemosdk.listdir(" + at("*") +
                               ") table.sort(t) return table.concat(t, ' ')"));
  EXPECT_EQ("table,0", run("local t = _vemosdk.listdir(" + at("only\\*") + ") return type(t), #t"));
  EXPECT_EQ("0", run("return select('#', _vemosdk.listdir(" + at("missing\\*") + "))"));
}

TEST_F(FileFunctions, CopyFileOverridesUnlessToldFalse) {
  const struct {
    const char* override_argument;
    const char* results;
    const char* target_after;
  } cases[] = {
      {"", "true,0.0,", "new"},
      {", true", "true,0.0,", "new"},
      {", 0", "true,0.0,", "new"},  // only a boolean counts
      {", false", "false,80.0", "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.override_argument);
    make_tree(dir.path(), {{"src.txt", "new"}, {"dst.txt", "old"}});
    EXPECT_THAT(run("return _vemosdk.copy_file(" + at("src.txt") + ", " + at("dst.txt") + c.override_argument + ")"),
                StartsWith(c.results));
    EXPECT_EQ(c.target_after, content_of(dir.file("dst.txt")));
  }
}

TEST_F(FileFunctions, RenameRemoveAndTheirResults) {
  make_tree(dir.path(), {{"a.txt", "a"}, {"b.txt", "b"}, {"tree\\sub\\c.txt", "c"}});
  EXPECT_EQ("true,0.0,", run("return _vemosdk.renamefile(" + at("a.txt") + ", " + at("moved\\a.txt") + ")"));
  EXPECT_EQ("a", content_of(dir.file("moved\\a.txt")));
  // Onto an existing file: refused with the system's code and message.
  EXPECT_THAT(run("return _vemosdk.renamefile(" + at("b.txt") + ", " + at("moved\\a.txt") + ")"),
              StartsWith("false,183.0,"));
  EXPECT_EQ("true,0.0,", run("return _vemosdk.removefile(" + at("tree") + ")"));
  EXPECT_FALSE(exists(dir.file("tree")));
  EXPECT_EQ("true,0.0,", run("return _vemosdk.removefile(" + at("never-was") + ")"));
}

TEST_F(FileFunctions, ExistenceSizeAndFolderTests) {
  make_tree(dir.path(), {{"five.txt", "12345"}, {"sub\\x", ""}});
  EXPECT_EQ("true,false,true", run("return _vemosdk.is_file_exists(" + at("five.txt") + "), _vemosdk.is_file_exists(" +
                                   at("none") + "), _vemosdk.is_file_exists(" + at("sub") + ")"));
  EXPECT_EQ("false,true,false", run("return _vemosdk.is_directory(" + at("five.txt") + "), _vemosdk.is_directory(" +
                                    at("sub") + "), _vemosdk.is_directory(" + at("none") + ")"));
  EXPECT_EQ("5.0,-1.0", run("return _vemosdk.file_length(" + at("five.txt") + "), _vemosdk.file_length(" +
                            at("none") + ")"));
  EXPECT_EQ("{\"succ\":true}", run("return _vemosdk.make_dirs(" + at("made\\deep\\er") + ")"));
  EXPECT_TRUE(exists(dir.file("made\\deep\\er")));
  EXPECT_EQ("{\"succ\":false}", run("return _vemosdk.make_dirs(" + at("five.txt\\below") + ")"));
  run("_vemosdk.deletefile(" + at("five.txt") + ")");
  EXPECT_FALSE(exists(dir.file("five.txt")));
}

TEST_F(FileFunctions, ReadfileOffsetLengthReadsARangeAndRefusesNegativeNumbers) {
  make_tree(dir.path(), {{"digits.txt", "0123456789"}});
  const struct {
    const char* arguments;
    const char* result;
  } reads[] = {{"0, 3", "012"}, {"7, 100", "789"}, {"10, 5", ""}, {"100, 5", ""}, {"4, 0", ""}};
  for (const auto& c : reads) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(c.result, run("return _vemosdk.readfile_offset_length(" + at("digits.txt") + ", " + c.arguments + ")"));
  }
  EXPECT_THAT(run("return _vemosdk.readfile_offset_length(" + at("digits.txt") + ", -1, 3)"),
              HasSubstr("bad argument #2 to 'readfile_offset_length' (offset must not be negative)"));
  EXPECT_THAT(run("return _vemosdk.readfile_offset_length(" + at("digits.txt") + ", 0, -3)"),
              HasSubstr("bad argument #3 to 'readfile_offset_length' (length must not be negative)"));
  EXPECT_EQ("", run("return _vemosdk.readfile_offset_length(" + at("missing") + ", 0, 4)"));
}

TEST_F(FileFunctions, WrongArgumentTypesRaiseArgumentErrors) {
  const struct {
    const char* call;
    const char* error_part;
  } cases[] = {
      {"_vemosdk.writefile('a.txt', 'x')", "bad argument #3 to 'writefile' (number expected, got no value)"},
      {"_vemosdk.copy_file('a')", "bad argument #2 to 'copy_file' (string expected, got no value)"},
      {"_vemosdk.batch_copy('x', '{}')", "bad argument #1 to 'batch_copy' (number expected, got string)"},
      {"_vemosdk.batch_md5(1)", "bad argument #2 to 'batch_md5' (string expected, got no value)"},
      {"_vemosdk.readfile_offset_length('a', 1.5, 2)", "bad argument #2 to 'readfile_offset_length' (number has no integer representation)"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(run(c.call), HasSubstr(c.error_part));
  }
}

// The batch front ends: what they answer at once, and that they hand the
// options on to the workers.
TEST_F(FileFunctions, BatchCallsAnswerBadOptionsAndEmptyListsAtOnce) {
  const struct {
    const char* call;
    const char* answer;
  } cases[] = {
      {"batch_copy(1, 'not json')", R"({"succ":false,"msg":"not json","code":7016008})"},
      {"batch_copy(2, '{\"files\": {}, x')", R"({"succ":false,"msg":"x","code":7016008})"},
      {"batch_md5(3, '')", R"({"succ":false,"msg":"","code":7016008})"},
      // An empty list in either brackets is nothing to do.
      {"batch_copy(4, '{\"files\": []}')", R"({"succ":true})"},
      {"batch_info(5, '{\"files\": {\"a\": \"b\"}}')",
       R"({"succ":false,"msg":"files must be an array of paths","code":7016008})"},
      {"batch_copy(6, '{\"files\": {}}')", R"({"succ":true})"},
      {"batch_rename(7, '{}')", R"({"succ":true})"},
      {"batch_remove(8, '{\"files\": []}')", R"({"succ":true})"},
      {"batch_info(9, '[1, 2]')", R"({"succ":true})"},
      {"batch_rename(10, '{\"files\": []}')", R"({"succ":true})"},
      {"batch_md5(11, '{\"files\": {}}')", R"({"succ":true})"},
      {"batch_remove(12, '{\"files\": null}')", R"({"succ":true})"},
      {"batch_copy(13, '{\"files\": [\"a\"]}')",
       R"({"succ":false,"msg":"files must be an object of source to target paths","code":7016008})"},
      {"batch_remove(14, '{\"files\": \"a\"}')",
       R"({"succ":false,"msg":"files must be an array of paths","code":7016008})"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_EQ("", run(std::string("_vemosdk.") + c.call));
    int64_t id = &c - cases + 1;
    EXPECT_EQ(c.answer, answer_for(id));
  }
}

TEST_F(FileFunctions, BatchCopyKeepsExistingTargetsOnlyWhenNeedOverrideIsFalse) {
  const struct {
    const char* need_override;
    const char* answer_part;
    const char* target_after;
  } cases[] = {
      {"", R"("succ":true)", "new"},
      {", \"need_override\": true", R"("succ":true)", "new"},
      {", \"need_override\": 0", R"("succ":true)", "new"},
      {", \"need_override\": false", R"("code":80)", "old"},
  };
  int64_t id = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.need_override);
    make_tree(dir.path(), {{"src\\a", "new"}, {"dst\\a", "old"}});
    std::string options = "{\"files\": {\"a\": \"a\"}" + std::string(c.need_override) +
                          ", \"opts\": {\"src_base_path\": " + json_at("src") +
                          ", \"dst_base_path\": " + json_at("dst") + "}}";
    run("_vemosdk.batch_copy(" + std::to_string(++id) + ", " + quoted(options) + ")");
    EXPECT_THAT(answer_for(id), HasSubstr(c.answer_part));
    EXPECT_EQ(c.target_after, content_of(dir.file("dst\\a")));
  }
}

TEST_F(FileFunctions, BatchMd5InfoRemoveRenameAndListingReachTheirWorkers) {
  make_tree(dir.path(), {{"abc.txt", "abc"}, {"gone.txt", "x"}, {"old.txt", "o"}});
  std::string base = json_at("");
  run("_vemosdk.batch_md5(201, " + quoted("{\"files\": [\"abc.txt\"], \"base_path\": " + base + "}") + ")");
  EXPECT_THAT(answer_for(201), HasSubstr(R"("abc.txt":"900150983cd24fb0d6963f7d28e17f72")"));

  run("_vemosdk.batch_info(202, " +
      quoted("{\"files\": [\"abc.txt\"], \"opts\": {\"check_size\": true, \"base_path\": " + base + "}}") + ")");
  EXPECT_THAT(answer_for(202), HasSubstr(R"("abc.txt":{"exists":true,"size":3})"));

  run("_vemosdk.batch_remove(203, " + quoted("{\"files\": [\"gone.txt\"], \"opts\": {\"base_path\": " + base + "}}") +
      ")");
  EXPECT_THAT(answer_for(203), HasSubstr(R"("succ":true)"));
  EXPECT_FALSE(exists(dir.file("gone.txt")));

  run("_vemosdk.batch_rename(204, " +
      quoted("{\"files\": {\"old.txt\": \"new.txt\"}, \"opts\": {\"src_base_path\": " + base +
             ", \"dst_base_path\": " + base + "}}") +
      ")");
  EXPECT_THAT(answer_for(204), HasSubstr(R"("succ":true)"));
  EXPECT_EQ("o", content_of(dir.file("new.txt")));

  run("_vemosdk.list_dir_ex(205, " + quoted(dir.path()) + ", false)");
  std::string listing = answer_for(205);
  EXPECT_THAT(listing, HasSubstr(R"({"path":"abc.txt","is_dir":false})"));
  EXPECT_THAT(listing, HasSubstr(R"({"path":"new.txt","is_dir":false})"));
}

}  // namespace
