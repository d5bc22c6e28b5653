// The synchronous file operations on real files: copies that replace targets
// only when complete, removals that never follow links, renames, folders,
// sizes and ranged reads beyond 2 GiB.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <cjson/cJSON.h>

#include "core/file_replace.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "file_fixtures.h"
#include "files/file_batch_workers.h"
#include "files/file_ops.h"
#include "test_support.h"

namespace {

using vemo::test::content_of;
using vemo::test::exists;
using vemo::test::make_tree;
using vemo::test::TempDir;

using vemo::JsonPtr;

std::vector<std::string> names_in(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(utf8_to_wstring(folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = wstring_to_utf8(entry.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return names;
}

TEST(FileCopy, OverrideDecidesWhetherAnExistingTargetIsReplaced) {
  TempDir dir("copy-override");
  make_tree(dir.path(), {{"src.txt", "new"}, {"dst.txt", "old"}});
  std::string src = dir.file("src.txt"), dst = dir.file("dst.txt");

  OpResult kept = vemo_copy_file_or_directory_utf8(src.c_str(), dst.c_str(), false);
  EXPECT_FALSE(kept.success);
  EXPECT_EQ(ERROR_FILE_EXISTS, kept.code);
  EXPECT_FALSE(kept.message.empty());
  EXPECT_EQ("old", content_of(dst));

  OpResult replaced = vemo_copy_file_or_directory_utf8(src.c_str(), dst.c_str(), true);
  EXPECT_TRUE(replaced.success) << replaced.message;
  EXPECT_EQ("new", content_of(dst));
  // Nothing but the two files: the temporary copy has become the target.
  EXPECT_EQ((std::vector<std::string>{"dst.txt", "src.txt"}), names_in(dir.path()));
}

TEST(FileCopy, CreatesTheTargetsFoldersAndCopiesTrees) {
  TempDir dir("copy-tree");
  make_tree(dir.path(), {{"from\\a.txt", "A"}, {"from\\sub\\b.txt", "B"}, {"to\\keep.txt", "K"}});
  CreateDirectoryW(utf8_to_wstring(dir.file("from\\empty")).c_str(), nullptr);

  OpResult file = vemo_copy_file_or_directory_utf8(dir.file("from\\a.txt").c_str(), dir.file("x\\y\\a.txt").c_str(), true);
  EXPECT_TRUE(file.success) << file.message;
  EXPECT_EQ("A", content_of(dir.file("x\\y\\a.txt")));

  OpResult tree = vemo_copy_file_or_directory_utf8(dir.file("from").c_str(), dir.file("to").c_str(), true);
  EXPECT_TRUE(tree.success) << tree.message;
  EXPECT_EQ("A", content_of(dir.file("to\\a.txt")));
  EXPECT_EQ("B", content_of(dir.file("to\\sub\\b.txt")));
  EXPECT_EQ("K", content_of(dir.file("to\\keep.txt")));
  EXPECT_TRUE(vemo_is_directory(dir.file("to\\empty").c_str()));
}

TEST(FileCopy, TreeCopyWithoutOverrideStopsAtTheFirstExistingFile) {
  TempDir dir("copy-tree-keep");
  make_tree(dir.path(), {{"from\\a.txt", "new"}, {"to\\a.txt", "old"}});
  OpResult result = vemo_copy_file_or_directory_utf8(dir.file("from").c_str(), dir.file("to").c_str(), false);
  EXPECT_EQ(ERROR_FILE_EXISTS, result.code);
  EXPECT_EQ("old", content_of(dir.file("to\\a.txt")));
}

TEST(FileCopy, MissingSourceFailsAndCreatesNothing) {
  TempDir dir("copy-missing");
  OpResult result =
      vemo_copy_file_or_directory_utf8(dir.file("nope.txt").c_str(), dir.file("out\\nope.txt").c_str(), true);
  EXPECT_FALSE(result.success);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, result.code);
  EXPECT_FALSE(exists(dir.file("out")));
  OpResult tree = vemo_copy_dir_tree_w(utf8_to_wstring(dir.file("nope")).c_str(), L"unused", true);
  EXPECT_EQ(kFileOpPathNotExists, tree.code);
  EXPECT_EQ("path not exists", tree.message);
}

TEST(FileCopy, AFailedReplaceLeavesTheOldTargetWhole) {
  TempDir dir("copy-locked");
  make_tree(dir.path(), {{"src.bin", std::string(100000, 'n')}, {"dst.bin", "old"}});
  // A reader that does not share deletion keeps the target from being replaced.
  HANDLE held = CreateFileW(utf8_to_wstring(dir.file("dst.bin")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  OpResult result = vemo_copy_file_or_directory_utf8(dir.file("src.bin").c_str(), dir.file("dst.bin").c_str(), true);
  CloseHandle(held);
  EXPECT_FALSE(result.success);
  EXPECT_EQ("old", content_of(dir.file("dst.bin")));
  EXPECT_EQ((std::vector<std::string>{"dst.bin", "src.bin"}), names_in(dir.path()));
}

TEST(FileReplace, AWholeFileGoesInPlaceInOneStep) {
  TempDir dir("replace-write");
  const std::string target = dir.file(u8"new\\\u4e2d\\data.bin");
  struct Case {
    std::string content;
  } cases[] = {{"first"}, {std::string(300000, 'b')}, {""}};
  for (const Case& c : cases) {
    ASSERT_TRUE(write_file_replacing(target, c.content.data(), c.content.size())) << GetLastError();
    EXPECT_EQ(c.content, content_of(target));
    EXPECT_EQ((std::vector<std::string>{"data.bin"}), names_in(dir.file(u8"new\\\u4e2d")));
  }
}

TEST(FileReplace, AFailedWriteLeavesTheOldFileAndNoTemporaryOne) {
  TempDir dir("replace-fail");
  make_tree(dir.path(), {{"old.bin", "old"}, {"blocker", "a file where a folder should be"}, {"folder\\x", "x"}});
  // A reader that does not share deletion keeps the target from being replaced.
  HANDLE held = CreateFileW(utf8_to_wstring(dir.file("old.bin")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_FALSE(write_file_replacing(dir.file("old.bin"), "new", 3));
  CloseHandle(held);
  EXPECT_EQ("old", content_of(dir.file("old.bin")));

  EXPECT_FALSE(write_file_replacing(dir.file("blocker\\inside.bin"), "new", 3));  // no folder can be made
  EXPECT_FALSE(write_file_replacing(dir.file("folder"), "new", 3));               // a folder is not replaced
  EXPECT_EQ("x", content_of(dir.file("folder\\x")));
  EXPECT_FALSE(write_file_replacing("", "new", 3));
  EXPECT_FALSE(write_file_replacing(dir.file("null.bin"), nullptr, 3));
  EXPECT_EQ((std::vector<std::string>{"blocker", "folder", "old.bin"}), names_in(dir.path()));
}

TEST(FileRemove, MissingPathsSucceedAndTreesGo) {
  TempDir dir("remove");
  make_tree(dir.path(), {{"tree\\a.txt", "A"}, {"tree\\sub\\b.txt", "B"}, {"file.txt", "F"}});
  // A read-only file inside a tree goes with it.
  SetFileAttributesW(utf8_to_wstring(dir.file("tree\\sub\\b.txt")).c_str(), FILE_ATTRIBUTE_READONLY);
  for (const std::string& path : {dir.file("nope"), dir.file("nope\\deeper\\x"), dir.file("file.txt"),
                                  dir.file("tree")}) {
    OpResult result = vemo_remove_file_or_directory_utf8(path.c_str());
    EXPECT_TRUE(result.success) << path << ": " << result.message;
    EXPECT_FALSE(exists(path)) << path;
  }
}

TEST(FileRemove, AFolderLinkInsideARemovedTreeLeavesItsTargetIntact) {
  TempDir dir("remove-link");
  make_tree(dir.path(), {{"outside\\precious.txt", "P"}, {"outside\\deep\\more.txt", "M"}, {"tree\\a.txt", "A"}});
  if (!vemo::test::make_folder_link(dir.file("tree\\link"), dir.file("outside")))
    GTEST_SKIP() << "this system cannot make folder links";

  OpResult result = vemo_remove_file_or_directory_utf8(dir.file("tree").c_str());
  EXPECT_EQ("P", content_of(dir.file("outside\\precious.txt")));
  EXPECT_EQ("M", content_of(dir.file("outside\\deep\\more.txt")));
  // Windows removes the link itself; Wine cannot remove a host link and says so.
  if (result.success) {
    EXPECT_FALSE(exists(dir.file("tree")));
  } else {
    EXPECT_TRUE(exists(dir.file("tree\\link"))) << result.message;
  }

  // The tree remover named the link itself removes the link, never what is
  // behind it.
  if (exists(dir.file("tree\\link"))) {
    vemo_remove_dir_tree_w(utf8_to_wstring(dir.file("tree\\link")).c_str());
    EXPECT_EQ("P", content_of(dir.file("outside\\precious.txt")));
    EXPECT_EQ("M", content_of(dir.file("outside\\deep\\more.txt")));
  }
  // The link named directly is also removed as a link.
  if (exists(dir.file("tree\\link"))) {
    vemo_remove_file_or_directory_utf8(dir.file("tree\\link").c_str());
    EXPECT_EQ("P", content_of(dir.file("outside\\precious.txt")));
    vemo::test::remove_folder_link(dir.file("tree\\link"));
  }
}

TEST(FileRename, CreatesParentsAndNeverReplaces) {
  TempDir dir("rename");
  make_tree(dir.path(), {{"a.txt", "A"}, {"b.txt", "B"}});
  OpResult onto = vemo_rename_path(dir.file("a.txt").c_str(), dir.file("b.txt").c_str());
  EXPECT_FALSE(onto.success);
  EXPECT_EQ(ERROR_ALREADY_EXISTS, onto.code);
  EXPECT_EQ("B", content_of(dir.file("b.txt")));

  OpResult moved = vemo_rename_path(dir.file("a.txt").c_str(), dir.file("new\\dir\\a.txt").c_str());
  EXPECT_TRUE(moved.success) << moved.message;
  EXPECT_EQ("A", content_of(dir.file("new\\dir\\a.txt")));
  EXPECT_FALSE(exists(dir.file("a.txt")));
}

TEST(FileFolders, MakeDirsAndParentDirs) {
  TempDir dir("dirs");
  make_tree(dir.path(), {{"file", "x"}});
  EXPECT_TRUE(make_dirs(dir.file("a\\b/c").c_str()));
  EXPECT_TRUE(vemo_is_directory(dir.file("a\\b\\c").c_str()));
  EXPECT_TRUE(make_dirs(dir.file("a\\b\\c").c_str()));  // already there
  EXPECT_FALSE(make_dirs(""));
  EXPECT_FALSE(make_dirs(nullptr));
  EXPECT_FALSE(make_dirs(dir.file("file\\sub").c_str()));  // a file is in the way
  EXPECT_FALSE(vemo_create_dir_tree_w(utf8_to_wstring(dir.file("file")).c_str()));

  EXPECT_TRUE(vemo_make_parent_dirs(dir.file("p\\q\\leaf.txt").c_str()));
  EXPECT_TRUE(vemo_is_directory(dir.file("p\\q").c_str()));
  EXPECT_FALSE(exists(dir.file("p\\q\\leaf.txt")));
  EXPECT_TRUE(vemo_make_parent_dirs("no-separator.txt"));

  EXPECT_TRUE(file_exists(dir.file("file")));
  EXPECT_FALSE(vemo_is_directory(dir.file("file").c_str()));
  EXPECT_FALSE(vemo_is_directory(nullptr));
  EXPECT_FALSE(file_exists(dir.file("none")));
}

TEST(FileFolders, LongPathsWork) {
  TempDir dir("long");
  std::string deep = dir.path();
  while (deep.size() < 400) deep += "\\a-rather-long-folder-name";
  std::string file = deep + "\\f.txt";
  EXPECT_TRUE(make_dirs(deep.c_str()));
  OpResult copy = vemo_copy_file_or_directory_utf8(dir.file("none").c_str(), file.c_str(), true);
  EXPECT_FALSE(copy.success);
  std::string src = dir.file("src.txt");
  vemo::test::write_file(src, "long");
  copy = vemo_copy_file_or_directory_utf8(src.c_str(), file.c_str(), true);
  EXPECT_TRUE(copy.success) << copy.message;
  EXPECT_EQ(4, vemo_file_length(file.c_str()));
  OpResult removed = vemo_remove_file_or_directory_utf8((dir.path() + "\\a-rather-long-folder-name").c_str());
  EXPECT_TRUE(removed.success) << removed.message;
}

TEST(FileRead, LengthAndRanges) {
  TempDir dir("read");
  make_tree(dir.path(), {{"ten.txt", "0123456789"}, {"empty.txt", ""}});
  EXPECT_EQ(10, vemo_file_length(dir.file("ten.txt").c_str()));
  EXPECT_EQ(0, vemo_file_length(dir.file("empty.txt").c_str()));
  EXPECT_EQ(-1, vemo_file_length(dir.file("none").c_str()));
  EXPECT_EQ(-1, vemo_file_length(dir.path().c_str()));

  struct RangeCase {
    int64_t offset, length;
    const char* expected;
  };
  const RangeCase cases[] = {{0, 4, "0123"}, {8, 100, "89"}, {10, 5, ""}, {50, 5, ""}, {3, 0, ""}};
  for (const RangeCase& c : cases) {
    size_t count = 99;
    char* bytes = vemo_read_file_offset_length(dir.file("ten.txt").c_str(), c.offset, c.length, &count);
    ASSERT_NE(nullptr, bytes) << c.offset;
    EXPECT_EQ(std::string(c.expected), std::string(bytes, count)) << c.offset;
    EXPECT_EQ('\0', bytes[count]);
    std::free(bytes);
  }
  size_t count = 99;
  EXPECT_EQ(nullptr, vemo_read_file_offset_length(dir.file("none").c_str(), 0, 4, &count));
  EXPECT_EQ(0u, count);
}

TEST(FileMd5, DigestsAndFailures) {
  TempDir dir("md5");
  make_tree(dir.path(), {{"empty", ""}, {"abc", "abc"}, {"block-edge", std::string(204800 + 1, 'x')}});
  char out[33];
  OpResult empty = vemo_file_md5_utf8(dir.file("empty").c_str(), out);
  EXPECT_TRUE(empty.success);
  EXPECT_STREQ("d41d8cd98f00b204e9800998ecf8427e", out);
  EXPECT_TRUE(vemo_file_md5_utf8(dir.file("abc").c_str(), out).success);
  EXPECT_STREQ("900150983cd24fb0d6963f7d28e17f72", out);
  EXPECT_TRUE(vemo_file_md5_utf8(dir.file("block-edge").c_str(), out).success);
  EXPECT_STREQ("fee30c5e9d8b7f0f9dba9c80fd41c11c", out);

  OpResult missing = vemo_file_md5_utf8(dir.file("none").c_str(), out);
  EXPECT_FALSE(missing.success);
  EXPECT_EQ(kFileOpFileOpenFailed, missing.code);
  EXPECT_EQ("file open failed", missing.message);
  EXPECT_STREQ("", out);
}

// A 3 GiB file, sparse where the file system allows, with marks at its
// start, across the 2 GiB line and at its end.
TEST(FileLarge, SizesOffsetsAndDigestPastTwoGiB) {
  TempDir dir("large");
  std::string path = dir.file("big.bin");
  const int64_t size = 3LL << 30;
  const struct {
    int64_t offset;
    const char* text;
  } marks[] = {{0, "head"}, {(2LL << 30) - 4, "over2GiB"}, {size - 4, "tail"}};
  {
    HANDLE file = CreateFileW(utf8_to_wstring(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    for (const auto& mark : marks) {
      LARGE_INTEGER at;
      at.QuadPart = mark.offset;
      DWORD written = 0;
      ASSERT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN));
      ASSERT_TRUE(WriteFile(file, mark.text, static_cast<DWORD>(strlen(mark.text)), &written, nullptr));
    }
    CloseHandle(file);
  }
  EXPECT_EQ(size, vemo_file_length(path.c_str()));

  size_t count = 0;
  char* bytes = vemo_read_file_offset_length(path.c_str(), (2LL << 30) - 4, 64, &count);
  ASSERT_NE(nullptr, bytes);
  EXPECT_EQ("over2GiB", std::string(bytes, 8));
  EXPECT_EQ(64u, count);
  std::free(bytes);
  bytes = vemo_read_file_offset_length(path.c_str(), size - 4, 64, &count);
  ASSERT_NE(nullptr, bytes);
  EXPECT_EQ("tail", std::string(bytes, count));
  std::free(bytes);

  // The batch answer carries the size as an exact JSON number.
  JsonPtr paths(cJSON_CreateArray());
  cJSON_AddItemToArray(paths.get(), cJSON_CreateString("big.bin"));
  JsonPtr options(cJSON_CreateObject());
  cJSON_AddStringToObject(options.get(), "base_path", dir.path().c_str());
  cJSON_AddTrueToObject(options.get(), "check_size");
  JsonPtr info(do_vemo_file_batch_info(paths.get(), options.get()));
  std::string printed = vemo::json_text(info.get(), false);
  EXPECT_NE(std::string::npos, printed.find("\"size\":3221225472")) << printed;

  char digest[33];
  OpResult md5 = vemo_file_md5_utf8(path.c_str(), digest);
  EXPECT_TRUE(md5.success) << md5.message;
  EXPECT_STREQ("df542bf1b4556d2c469554469d4dc901", digest);
}

}  // namespace
