// Profile folders: who gets "default", the version marker, stale folders.
#include "webview/webview_user_data_folder.h"

#include "core/path_utils.h"
#include "core/text_convert.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using VemoSDK::WebViewUserDataFolder;

class UserDataFolderTest : public ::testing::Test {
protected:
  UserDataFolderTest() : root_("webview-profiles") {
    CreateDirectoryW(w(runtime()).c_str(), nullptr);
    CreateDirectoryW(w(base()).c_str(), nullptr);
  }
  static std::wstring w(const std::string& text) { return utf8_to_wstring(text); }
  std::string runtime() const { return root_.file("runtime"); }
  std::string base() const { return root_.file("profiles") + "\\"; }
  void setRuntimeVersion(const std::string& version) {
    ASSERT_TRUE(vemo::test::write_file(runtime() + "\\" + version + ".manifest", ""));
  }
  std::unique_ptr<WebViewUserDataFolder> make(DWORD pid) {
    return std::make_unique<WebViewUserDataFolder>(w(runtime()), w(base()), pid);
  }
  bool exists(const std::string& relative) const { return file_exists(base() + relative); }

  vemo::test::TempDir root_;
};

TEST_F(UserDataFolderTest, SecondHolderGetsItsProcessFolder) {
  setRuntimeVersion("129.0.2792.45");
  auto first = make(100);
  auto second = make(200);
  EXPECT_EQ(first->folder(), w(base() + "default\\"));
  EXPECT_TRUE(first->holdsLock());
  EXPECT_EQ(second->folder(), w(base() + "200\\"));
  EXPECT_TRUE(second->holdsLock());
  EXPECT_TRUE(exists("default\\129.0.2792.45_32.vmeb"));
  EXPECT_TRUE(exists("default\\_lock.vmeb"));
  EXPECT_TRUE(exists("200\\129.0.2792.45_32.vmeb"));

  // Once the first lets go, "default" is free again and keeps its files.
  ASSERT_TRUE(vemo::test::write_file(base() + "default\\Cookies", "kept"));
  first.reset();
  auto third = make(300);
  EXPECT_EQ(third->folder(), w(base() + "default\\"));
  EXPECT_TRUE(exists("default\\Cookies"));
}

TEST_F(UserDataFolderTest, StaleSiblingsGoAndHeldOnesStay) {
  setRuntimeVersion("1.0");
  auto holder = make(200);
  holder->folder();  // takes "default"
  auto other = make(201);
  other->folder();  // held "201"
  CreateDirectoryW(w(base() + "4242").c_str(), nullptr);
  ASSERT_TRUE(vemo::test::write_file(base() + "4242\\Cookies", "old"));
  CreateDirectoryW(w(base() + "no-lock-file").c_str(), nullptr);

  auto next = make(202);
  EXPECT_FALSE(exists("4242"));
  EXPECT_FALSE(exists("no-lock-file"));
  EXPECT_TRUE(exists("201\\_lock.vmeb"));
  EXPECT_TRUE(exists("default\\_lock.vmeb"));

  // "default" is never taken by the clean-up, even when no one holds it.
  holder.reset();
  auto last = make(203);
  EXPECT_TRUE(exists("default\\_lock.vmeb"));
}

TEST_F(UserDataFolderTest, AnotherRuntimeStartsTheFolderAfresh) {
  setRuntimeVersion("100.0");
  make(1)->folder();
  ASSERT_TRUE(vemo::test::write_file(base() + "default\\Cookies", "old"));
  DeleteFileW(w(runtime() + "\\100.0.manifest").c_str());
  setRuntimeVersion("129.0");
  auto updated = make(2);
  EXPECT_EQ(updated->folder(), w(base() + "default\\"));
  EXPECT_TRUE(updated->holdsLock());
  EXPECT_FALSE(exists("default\\Cookies"));
  EXPECT_FALSE(exists("default\\100.0_32.vmeb"));
  EXPECT_TRUE(exists("default\\129.0_32.vmeb"));
}

TEST_F(UserDataFolderTest, WithoutAManifestTheMarkerHasAnEmptyVersion) {
  // "_32.vmeb" and the lock file "_lock.vmeb" share the pattern; the marker
  // must be found by its own name, and a second start must keep the folder.
  make(1)->folder();
  ASSERT_TRUE(exists("default\\_32.vmeb"));
  ASSERT_TRUE(vemo::test::write_file(base() + "default\\Cookies", "kept"));
  auto again = make(2);
  EXPECT_EQ(again->folder(), w(base() + "default\\"));
  EXPECT_TRUE(again->holdsLock());
  EXPECT_TRUE(exists("default\\Cookies"));
}

TEST_F(UserDataFolderTest, AFolderThatNeverMatchesIsTriedOnlyOnceMore) {
  // A version with "_" can never match its own marker: the choice must end.
  setRuntimeVersion("1_2");
  auto folder = make(7);
  EXPECT_EQ(folder->folder(), w(base() + "7\\"));
  EXPECT_FALSE(folder->holdsLock());
}

TEST_F(UserDataFolderTest, MissingLockFileMeansStale) {
  setRuntimeVersion("5.0");
  CreateDirectoryW(w(base() + "default").c_str(), nullptr);
  ASSERT_TRUE(vemo::test::write_file(base() + "default\\5.0_32.vmeb", ""));
  ASSERT_TRUE(vemo::test::write_file(base() + "default\\Cookies", "stale"));
  auto folder = make(1);
  EXPECT_EQ(folder->folder(), w(base() + "default\\"));
  EXPECT_FALSE(exists("default\\Cookies"));
  EXPECT_TRUE(exists("default\\5.0_32.vmeb"));
}

}  // namespace
