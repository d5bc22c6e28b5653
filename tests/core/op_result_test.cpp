#include "core/op_result.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(OpResult, Constructors) {
  OpResult ok = init_op_result();
  EXPECT_EQ(ok.code, 0);
  EXPECT_TRUE(ok.success);
  EXPECT_TRUE(ok.message.empty());

  OpResult failed = make_op_result(7016012, "file open failed");
  EXPECT_EQ(failed.code, 7016012);
  EXPECT_EQ(failed.message, "file open failed");
  EXPECT_FALSE(failed.success);
}

TEST(OpResult, LastErrorKeepsItsCodeAndAShortMessage) {
  SetLastError(0);
  OpResult ok = make_last_error_result();
  EXPECT_EQ(ok.code, 0);
  EXPECT_TRUE(ok.success);

  const DWORD codes[] = {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_DISK_FULL, 0x2BADF00D};
  for (DWORD code : codes) {
    SetLastError(code);
    OpResult failed = make_last_error_result();
    EXPECT_EQ(failed.code, static_cast<int>(code));
    EXPECT_FALSE(failed.success);
    EXPECT_FALSE(failed.message.empty());
    EXPECT_LE(failed.message.size(), 50u);
    EXPECT_EQ(failed.message.find('\0'), std::string::npos);  // the length is the text's own
  }
}

}  // namespace
