#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/dir_tree.h"
#include "core/file_utils.h"
#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

using vemo::test::read_file;
using vemo::test::TempDir;
using vemo::test::write_file;

bool has(const std::string& path) { return file_exists(path); }

// A program folder inside an outer folder, each with a sentinel file.
class CustomSubDir : public ::testing::Test {
protected:
  void SetUp() override {
    program_ = outer_.file("program");
    CreateDirectoryW(utf8_to_wstring(program_).c_str(), nullptr);
    ASSERT_TRUE(write_file(outer_.file("outer-sentinel"), "outer"));
    ASSERT_TRUE(write_file(program_ + "\\program-sentinel", "program"));
    vemosdk_set_context(build_sdk_context(program_ + "\\", "", "1", nullptr));
  }
  void TearDown() override { vemosdk_set_context(nullptr); }

  std::string private_dir() const { return vemosdk_get_context()->program_private_dir; }

  TempDir outer_{"custom-sub-dir"};
  std::string program_;
};

TEST_F(CustomSubDir, RefusesNamesThatLeaveTheProgramFolder) {
  const char* refused[] = {"",         "..",  "..\\x",    "../x",      "C:\\x",   "C:x", "\\x",
                           "/x",       ".",   "a\\..\\..", "a/../../x", "...",     ". .", "\\\\server\\share",
                           "x\\..",  "a\\.\\..\\.."};
  for (const char* name : refused) {
    EXPECT_FALSE(set_custom_sub_dir(name, 1)) << name;
    EXPECT_EQ(private_dir(), program_ + "\\vemo") << name;
    std::string content;
    EXPECT_TRUE(read_file(outer_.file("outer-sentinel"), content) && content == "outer") << name;
    EXPECT_TRUE(read_file(program_ + "\\program-sentinel", content) && content == "program") << name;
  }
}

TEST_F(CustomSubDir, MovesThePrivateFolderAndEmptiesItWhenAsked) {
  std::string custom = program_ + "\\custom\\store";
  ASSERT_TRUE(write_file(program_ + "\\custom-file", "x"));
  EXPECT_TRUE(set_custom_sub_dir("custom/store", 0));
  EXPECT_EQ(private_dir(), custom);
  ASSERT_TRUE(has(custom));
  ASSERT_TRUE(write_file(custom + "\\old.dat", "old"));
  ASSERT_TRUE(write_file(custom + "\\.hidden", "dot"));

  EXPECT_TRUE(set_custom_sub_dir("custom\\store", 0));
  EXPECT_TRUE(has(custom + "\\old.dat"));  // 0: kept

  EXPECT_TRUE(set_custom_sub_dir("custom\\store", 1));
  EXPECT_TRUE(has(custom));
  EXPECT_FALSE(has(custom + "\\old.dat"));
  EXPECT_FALSE(has(custom + "\\.hidden"));
  EXPECT_TRUE(has(program_ + "\\program-sentinel"));
  EXPECT_TRUE(has(outer_.file("outer-sentinel")));
}

TEST_F(CustomSubDir, WithoutAContextNothingHappens) {
  vemosdk_set_context(nullptr);
  EXPECT_FALSE(set_custom_sub_dir("x", 1));
  EXPECT_FALSE(has(program_ + "\\x"));
}

// CTest lays out <work>\core-links\program\linked, a link to outside, which
// holds victim\keep. A name that leads through the link points outside the
// program folder however plain it looks.
TEST(CustomSubDirLinks, RefusesAFolderReachedThroughALink) {
  std::string base = vemo::test::work_dir() + "\\core-links";
  std::string program = base + "\\program", keep = base + "\\outside\\victim\\keep";
  if (!file_exists(program + "\\linked\\victim\\keep")) GTEST_SKIP() << "no link fixture: run through CTest";
  vemosdk_set_context(build_sdk_context(program + "\\", "", "1", nullptr));
  const std::pair<const char*, int> cases[] = {
      {"linked\\victim", 1}, {"linked/victim", 1}, {"linked\\victim\\deeper", 1}, {"linked", 1}, {"linked", 0},
  };
  for (const auto& [name, remove] : cases) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(set_custom_sub_dir(name, remove));
    EXPECT_TRUE(file_exists(keep));
    EXPECT_EQ(vemosdk_get_context()->program_private_dir, program + "\\vemo");
  }
  EXPECT_FALSE(file_exists(base + "\\outside\\victim\\deeper"));
  EXPECT_TRUE(set_custom_sub_dir("plain", 1));  // a real folder beside the link is fine
  EXPECT_EQ(vemosdk_get_context()->program_private_dir, program + "\\plain");
  vemosdk_set_context(nullptr);
}

void make_tree(const std::string& root, const std::string& files) {
  for (const std::string& name : {std::string("a.txt"), std::string(".dot"), std::string("sub\\b.txt"),
                                  std::string("sub\\deeper\\c.bin")})
    ASSERT_EQ(vemo_write_file((root + "\\" + files + name).c_str(), "x", 1, 0), 1);
}

TEST(RemoveDirectoryTree, RemovesEverythingBelowIncludingReadOnlyAndDotFiles) {
  TempDir dir("remove-tree");
  std::string root = dir.file("root");
  make_tree(root, "");
  SetFileAttributesW(utf8_to_wstring(root + "\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(utf8_to_wstring(root + "\\sub").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(remove_directory_tree(utf8_to_wstring(root + "\\\\"), true), 0u);
  EXPECT_FALSE(file_exists(root));
  EXPECT_EQ(remove_directory_tree(utf8_to_wstring(root), true), 0u);  // already gone
}

TEST(RemoveDirectoryTree, WithoutRecursionKeepsSubFoldersAndTheFolder) {
  TempDir dir("remove-flat");
  std::string root = dir.file("root");
  make_tree(root, "");
  EXPECT_EQ(remove_directory_tree(utf8_to_wstring(root), false), 0u);
  EXPECT_FALSE(file_exists(root + "\\a.txt"));
  EXPECT_FALSE(file_exists(root + "\\.dot"));
  EXPECT_TRUE(file_exists(root + "\\sub\\b.txt"));
}

TEST(RemoveDirectoryTree, WorksBeyondTheLongPathThreshold) {
  TempDir dir("remove-long");
  std::string root = dir.file("root");
  std::string deep = std::string(120, 'm') + "\\" + std::string(120, 'n') + "\\";
  make_tree(root, deep);
  EXPECT_EQ(remove_directory_tree(utf8_to_wstring(root), true), 0u);
  EXPECT_FALSE(file_exists(root));
}

// CTest lays out <work>\core-links: tree\sub\link and top-link are links to
// outside, which holds a sentinel (Wine cannot make links itself, nor remove
// these host links: there only the links may remain).
TEST(RemoveDirectoryTree, NeverEntersALinkedFolder) {
  std::string base = vemo::test::work_dir() + "\\core-links";
  std::string outside = base + "\\outside", tree = base + "\\tree";
  if (!file_exists(tree + "\\sub\\link\\sentinel")) GTEST_SKIP() << "no link fixture: run through CTest";
  DWORD result = remove_directory_tree(utf8_to_wstring(tree), true);
  EXPECT_TRUE(file_exists(outside + "\\sentinel"));
  if (result == 0)
    EXPECT_FALSE(file_exists(tree));
  else
    EXPECT_TRUE(file_exists(tree + "\\sub\\link"));

  result = remove_directory_tree(utf8_to_wstring(base + "\\top-link"), true);
  EXPECT_TRUE(file_exists(outside + "\\sentinel"));
  EXPECT_EQ(file_exists(base + "\\top-link"), result != 0);
}

}  // namespace
