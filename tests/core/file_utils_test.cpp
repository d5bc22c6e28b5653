#include "core/file_utils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "core/disk_space.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

using vemo::test::read_file;
using vemo::test::TempDir;
using vemo::test::write_file;

TEST(WriteFile, TruncatesAppendsAndCreatesMissingFolders) {
  TempDir dir("write-file");
  std::string path = dir.file(u8"a/b\\\u4e2d/out.bin");
  EXPECT_EQ(vemo_write_file(path.c_str(), "first", 5, 0), 1);
  EXPECT_EQ(vemo_write_file(path.c_str(), "+more", 5, 1), 1);
  std::string content;
  ASSERT_TRUE(read_file(dir.file(u8"a\\b\\\u4e2d\\out.bin"), content));
  EXPECT_EQ(content, "first+more");

  EXPECT_EQ(vemo_write_file(path.c_str(), "new", 3, 0), 1);
  ASSERT_TRUE(read_file(path, content));
  EXPECT_EQ(content, "new");

  EXPECT_EQ(vemo_write_file(path.c_str(), "", 0, 0), 1);  // an empty file is a file
  ASSERT_TRUE(read_file(path, content));
  EXPECT_EQ(content, "");
}

TEST(WriteFile, RefusesBadArgumentsAndUnwritableTargets) {
  TempDir dir("write-refuse");
  EXPECT_EQ(vemo_write_file(nullptr, "x", 1, 0), -1);
  EXPECT_EQ(vemo_write_file("", "x", 1, 0), -1);
  EXPECT_EQ(vemo_write_file(dir.file("x").c_str(), nullptr, 1, 0), -1);
  EXPECT_EQ(vemo_write_file(dir.path().c_str(), "x", 1, 0), -1);  // a folder
  std::string too_long = dir.path() + "\\" + std::string(2100, 'l');
  EXPECT_EQ(vemo_write_file(too_long.c_str(), "x", 1, 0), -1);
}

// Wine shows the host's devices on drive Z:; /dev/full takes the open and
// fails the write the way a full disk does, when the buffer is flushed.
TEST(WriteFile, AFullDiskIsAFailure) {
  const char* full = "Z:\\dev\\full";
  FILE* probe = _wfopen(L"Z:\\dev\\full", L"wb");
  if (!probe) GTEST_SKIP() << "no full device here";
  fclose(probe);
  EXPECT_EQ(vemo_write_file(full, "data", 4, 0), -1);
  EXPECT_EQ(vemo_write_file(full, "data", 4, 1), -1);
}

TEST(WriteFile, WorksBeyondTheLongPathThreshold) {
  TempDir dir("write-long");
  std::string path = dir.path() + "\\" + std::string(150, 'p') + "\\" + std::string(150, 'q') + "\\f.txt";
  EXPECT_EQ(vemo_write_file(path.c_str(), "deep", 4, 0), 1);
  std::string content;
  EXPECT_TRUE(vemo_read_file(path, content));
  EXPECT_EQ(content, "deep");
  EXPECT_EQ(vemo_delete_file(path.c_str()), 0);
  EXPECT_FALSE(file_exists(path));
  RemoveDirectoryW(to_long_path(dir.path() + "\\" + std::string(150, 'p') + "\\" + std::string(150, 'q')).c_str());
  RemoveDirectoryW(to_long_path(dir.path() + "\\" + std::string(150, 'p')).c_str());
}

TEST(ReadFile, GivesTheRealLengthAndATerminator) {
  TempDir dir("read-file");
  std::string bytes("a\0b\r\nc", 6);
  ASSERT_TRUE(write_file(dir.file("bin"), bytes));
  size_t size = 99;
  vemo::MallocPtr<char> data(vemo_read_file(dir.file("bin").c_str(), L"rb", &size));
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data.get(), size), bytes);
  EXPECT_EQ(data.get()[size], '\0');

  // Text mode turns CR LF into LF: the size is what was read, not the file size.
  data.reset(vemo_read_file(dir.file("bin").c_str(), L"r", &size));
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data.get(), size), std::string("a\0b\nc", 5));
  EXPECT_EQ(data.get()[size], '\0');

  ASSERT_TRUE(write_file(dir.file("empty"), ""));
  data.reset(vemo_read_file(dir.file("empty").c_str(), L"rb", &size));
  ASSERT_TRUE(data);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(data.get()[0], '\0');
}

TEST(ReadFile, FailsWithNullAndZeroSize) {
  TempDir dir("read-fail");
  size_t size = 99;
  EXPECT_EQ(vemo_read_file(dir.file("missing").c_str(), L"rb", &size), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(vemo_read_file(nullptr, L"rb", &size), nullptr);
  EXPECT_EQ(vemo_read_file("", L"rb", &size), nullptr);
  EXPECT_EQ(vemo_read_file(dir.file("missing").c_str(), nullptr, &size), nullptr);
  std::string content;
  EXPECT_FALSE(vemo_read_file(dir.file("missing"), content));
}

TEST(ReadFile, FindsRelativeNamesUnderTheProgramFolders) {
  std::string name = "read-fallback-" + std::to_string(GetCurrentProcessId()) + ".txt";
  std::string in_data = get_vemo_data_path(name), in_program = get_program_file_path("p-" + name);
  ASSERT_EQ(vemo_write_file(in_data.c_str(), "data", 4, 0), 1);
  ASSERT_EQ(vemo_write_file(in_program.c_str(), "prog", 4, 0), 1);
  std::string content;
  EXPECT_TRUE(vemo_read_file(name, content));
  EXPECT_EQ(content, "data");
  EXPECT_TRUE(vemo_read_file("p-" + name, content));
  EXPECT_EQ(content, "prog");
  vemo_delete_file(in_data.c_str());
  vemo_delete_file(in_program.c_str());
}

// A program started from another folder reads its own files, never the
// current folder's.
TEST(ReadFile, ARelativeNameIsNeverReadFromTheCurrentFolder) {
  TempDir elsewhere("read-cwd");
  std::string name = "read-cwd-" + std::to_string(GetCurrentProcessId()) + ".txt";
  ASSERT_TRUE(write_file(elsewhere.file(name), "cwd"));
  std::string in_program = get_program_file_path(name);
  wchar_t saved[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(utf8_to_wstring(elsewhere.path()).c_str()));
  std::string content;
  bool read_missing = vemo_read_file(name, content);
  bool wrote = vemo_write_file(in_program.c_str(), "prog", 4, 0) == 1;
  bool read_program = vemo_read_file(name, content);
  SetCurrentDirectoryW(saved);
  vemo_delete_file(in_program.c_str());
  EXPECT_FALSE(read_missing);
  ASSERT_TRUE(wrote);
  EXPECT_TRUE(read_program);
  EXPECT_EQ("prog", content);
}

TEST(CreateDirsForPath, CreatesEveryFolderButTheLastComponent) {
  TempDir dir("create-dirs");
  std::wstring absolute = create_dirs_for_path(dir.path() + "/one/two/leaf");
  EXPECT_EQ(absolute, utf8_to_wstring(dir.path() + "\\one\\two\\leaf"));
  EXPECT_TRUE(file_exists(dir.file("one\\two")));
  EXPECT_FALSE(file_exists(dir.file("one\\two\\leaf")));
  EXPECT_EQ(create_dirs_for_path(dir.path() + "/trail/"), utf8_to_wstring(dir.path() + "\\trail\\"));
  EXPECT_TRUE(file_exists(dir.file("trail")));
}

TEST(DiskFreeSpace, KnowsDriveCAndNotANonsenseRoot) {
  EXPECT_GT(get_disk_free_space("C:\\"), 0u);
  EXPECT_EQ(get_disk_free_space("?:\\"), 0u);
  EXPECT_EQ(get_disk_free_space(nullptr), 0u);
}

}  // namespace
