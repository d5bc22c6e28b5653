// Joins of a base and a sub path, and the refusal of batch items that would
// reach outside their base folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/path_utils.h"
#include "files/file_batch_item_path.h"
#include "files/file_op_error.h"
#include "files/file_path_join.h"
#include "test_support.h"

namespace {

struct JoinCase {
  const char* base;
  const char* sub;
  char separator;
  const char* expected;
};

TEST(FilePathJoin, JoinsWithExactlyOneSeparator) {
  const JoinCase cases[] = {
      {"a", "b", '\\', "a\\b"},
      {"a/", "/b", '/', "a/b"},
      {"a\\", "\\b", '\\', "a\\b"},
      {"a/", "b", '\\', "a/b"},  // the base's own separator is kept
      {"a", "", '\\', "a\\"},
      {"a", "/", '/', "a/"},  // a sub path of only a separator adds nothing
      {"", "b", '\\', "b"},
      {nullptr, "/b", '/', "b"},
      {"http://host/files", "dir/f.bin", '/', "http://host/files/dir/f.bin"},
      {"a", "//b", '\\', "a\\/b"},  // only one leading separator is dropped
  };
  for (const JoinCase& c : cases) {
    char out[64];
    int length = vemo_path_join_with(out, sizeof out, c.base, c.sub, c.separator);
    EXPECT_STREQ(c.expected, out) << (c.base ? c.base : "(null)") << " + " << c.sub;
    EXPECT_EQ(static_cast<int>(std::string(c.expected).size()), length);
  }
}

TEST(FilePathJoin, ResultThatDoesNotFitFailsWithoutWritingPastTheBuffer) {
  char out[8 + 4];
  std::memset(out, '#', sizeof out);
  // "abc\defg" is 8 bytes: with its terminator it needs 9.
  EXPECT_EQ(-1, vemo_path_join_win(out, 8, "abc", "defg"));
  EXPECT_EQ('\0', out[0]);
  for (size_t i = 8; i < sizeof out; ++i) EXPECT_EQ('#', out[i]) << i;
  EXPECT_EQ(8, vemo_path_join_win(out, 9, "abc", "defg"));
  EXPECT_STREQ("abc\\defg", out);

  std::string long_base(kVemoPathBufferSize - 2, 'x');
  char path[kVemoPathBufferSize];
  EXPECT_EQ(-1, vemo_path_join_win(path, sizeof path, long_base.c_str(), "y"));
  EXPECT_EQ(static_cast<int>(kVemoPathBufferSize - 1), vemo_path_join_win(path, sizeof path, long_base.c_str(), ""));
}

struct ItemCase {
  const char* item;
  int code;  // 0 when the item is accepted
};

TEST(BatchItemPath, RefusesItemsThatLeaveTheBase) {
  vemo::test::TempDir dir("item-path");
  std::string base = dir.file("base");
  const ItemCase cases[] = {
      {"a.txt", 0},
      {"sub\\a.txt", 0},
      {"/sub/a.txt", 0},  // one leading separator belongs to the join
      {"sub\\..\\a.txt", 0},
      {"..\\x", kFileOpPathOutsideBase},
      {"../x", kFileOpPathOutsideBase},
      {"sub\\..\\..\\x", kFileOpPathOutsideBase},
      {"..\\base-sibling\\x", kFileOpPathOutsideBase},
      {"..\\base", kFileOpPathOutsideBase},  // the base itself, reached from outside
      {"C:\\x", kFileOpPathOutsideBase},
      {"C:x", kFileOpPathOutsideBase},
      {"\\\\server\\share\\x", kFileOpPathOutsideBase},
      {"\\\\?\\C:\\x", kFileOpPathOutsideBase},
      {"a.txt:stream", kFileOpPathOutsideBase},
      {"", kFileOpPathOutsideBase},  // the base itself is not an item inside it
      {".", kFileOpPathOutsideBase},
  };
  for (const ItemCase& c : cases) {
    char out[kVemoPathBufferSize];
    OpResult result = join_batch_item(base.c_str(), c.item, out, sizeof out);
    EXPECT_EQ(c.code == 0, result.success) << c.item;
    EXPECT_EQ(c.code, result.code) << c.item;
    if (c.code == 0) {
      EXPECT_EQ(base + "\\" + (c.item[0] == '/' ? c.item + 1 : c.item), out);
    }
  }
}

// Whatever the current folder is: a relative path is in the program folder.
TEST(BatchItemPath, WithoutABaseTheItemIsThePathInTheProgramFolder) {
  const struct {
    const char* item;
    std::string path;
  } cases[] = {
      {"C:\\x\\y", "C:\\x\\y"},
      {"\\\\server\\share\\x", "\\\\server\\share\\x"},
      {"\\\\?\\C:\\x", "\\\\?\\C:\\x"},
      {"\\rooted\\a", "\\rooted\\a"},
      {"..\\x", get_program_dir() + "..\\x"},
      {"rel\\a", get_program_dir() + "rel\\a"},
      {"rel/a", get_program_dir() + "rel/a"},
      {"a.txt:stream", get_program_dir() + "a.txt:stream"},
  };
  for (const auto& c : cases) {
    char out[kVemoPathBufferSize];
    OpResult result = join_batch_item(nullptr, c.item, out, sizeof out);
    EXPECT_TRUE(result.success) << c.item;
    EXPECT_EQ(c.path, out);
  }
}

TEST(BatchItemPath, ARelativeBaseIsInTheProgramFolderAndKeepsItsItemsInside) {
  const std::string base = get_program_dir() + "rel-base";
  const ItemCase cases[] = {
      {"a.txt", 0},
      {"sub\\a.txt", 0},
      {"..\\x", kFileOpPathOutsideBase},
      {"sub\\..\\..\\x", kFileOpPathOutsideBase},
      {"C:\\x", kFileOpPathOutsideBase},
  };
  for (const ItemCase& c : cases) {
    char out[kVemoPathBufferSize];
    OpResult result = join_batch_item("rel-base", c.item, out, sizeof out);
    EXPECT_EQ(c.code, result.code) << c.item;
    if (c.code == 0) {
      EXPECT_EQ(base + "\\" + c.item, out);
    }
  }
}

TEST(BatchItemPath, TooLongIsItsOwnFailure) {
  std::string item(kVemoPathBufferSize, 'n');
  char out[kVemoPathBufferSize];
  OpResult result = join_batch_item("C:\\base", item.c_str(), out, sizeof out);
  EXPECT_FALSE(result.success);
  EXPECT_EQ(kFileOpPathTooLong, result.code);
}

}  // namespace
