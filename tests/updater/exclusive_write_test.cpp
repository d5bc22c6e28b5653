#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "exclusive_write.h"
#include "test_support.h"

namespace {

using vemo::test::TempDir;

// Holds a file open without sharing, as a running program holds its own exe.
HANDLE hold_open(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(CanWriteFilesExclusive, MissingFilesAndFreeFilesAreWritable) {
  TempDir dir("exclusive free");
  ASSERT_TRUE(vemo::test::write_file(dir.file("free.dll"), "x"));
  ExclusiveWriteCheck check = can_write_files_exclusive(
      {dir.file("free.dll"), dir.file("no such file.exe"), dir.file("no such folder\\x.exe"), ""}, 0, 0);
  EXPECT_TRUE(check.writable);
  EXPECT_EQ(1, check.attempts);
  EXPECT_TRUE(check.path.empty());
  EXPECT_TRUE(can_write_files_exclusive({}, 3, 10).writable);
}

TEST(CanWriteFilesExclusive, LockedFileWithTwoRetriesMakesThreeAttemptsThenReportsIt) {
  TempDir dir("exclusive locked");
  std::string locked = dir.file("launcher.exe");
  ASSERT_TRUE(vemo::test::write_file(dir.file("a.dll"), "a"));
  ASSERT_TRUE(vemo::test::write_file(locked, "exe"));
  HANDLE holder = hold_open(locked);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  ExclusiveWriteCheck check = can_write_files_exclusive({dir.file("a.dll"), locked}, 2, 100);
  CloseHandle(holder);
  EXPECT_FALSE(check.writable);
  EXPECT_EQ(3, check.attempts);
  EXPECT_EQ(locked, check.path);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), check.error);
}

TEST(CanWriteFilesExclusive, FileReleasedBetweenAttemptsBecomesWritable) {
  TempDir dir("exclusive released");
  std::string locked = dir.file("game.exe");
  ASSERT_TRUE(vemo::test::write_file(locked, "exe"));
  HANDLE holder = hold_open(locked);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  std::thread releaser([holder] {
    Sleep(150);
    CloseHandle(holder);
  });
  ExclusiveWriteCheck check = can_write_files_exclusive({locked}, 100, 50);
  releaser.join();
  EXPECT_TRUE(check.writable);
  EXPECT_GT(check.attempts, 1);
  EXPECT_LE(check.attempts, 101);
}

TEST(CanWriteFilesExclusive, NonLockErrorsAndNegativeCountsEndAtTheFirstAttempt) {
  TempDir dir("exclusive other");
  std::string folder = dir.file("a folder");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  // A folder cannot be opened as a file: not a lock, so no waiting for it.
  ExclusiveWriteCheck check = can_write_files_exclusive({folder}, 5, 100);
  EXPECT_FALSE(check.writable);
  EXPECT_EQ(1, check.attempts);
  EXPECT_EQ(folder, check.path);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), check.error);

  std::string locked = dir.file("held.bin");
  ASSERT_TRUE(vemo::test::write_file(locked, "x"));
  HANDLE holder = hold_open(locked);
  check = can_write_files_exclusive({locked}, -4, -100);
  CloseHandle(holder);
  EXPECT_FALSE(check.writable);
  EXPECT_EQ(1, check.attempts);
}

}  // namespace
