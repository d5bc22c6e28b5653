// Merging the staged ".update" folder into a program folder made by the test,
// and a merge cut short by killing the program that runs it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/owners.h"
#include "core/text_convert.h"
#include "file_fixtures.h"
#include "files/update_merge.h"
#include "test_support.h"

namespace {

using vemo::test::content_of;
using vemo::test::exists;
using vemo::test::make_tree;
using vemo::test::TempDir;

// The names in a folder, "." and ".." left out; empty when it cannot be listed.
std::vector<std::string> names_in(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(utf8_to_wstring(folder + "\\*").c_str(), &entry));
  if (!find) return names;
  do {
    std::string name = wstring_to_utf8(entry.cFileName);
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileW(find.get(), &entry));
  return names;
}

std::vector<std::string> sorted_names_in(const std::string& folder) {
  std::vector<std::string> names = names_in(folder);
  std::sort(names.begin(), names.end());
  return names;
}

// The program folder is a folder of its own inside the test's folder, so
// that what lands beside it can be seen.
class UpdateMerge : public ::testing::Test {
protected:
  void SetUp() override { CreateDirectoryW(utf8_to_wstring(program).c_str(), nullptr); }
  std::string at(const std::string& relative) const { return program + "\\" + relative; }
  bool merge() { return merge_staged_update(program); }

  TempDir root{"merge"};
  std::string program = root.file("game");
};

TEST_F(UpdateMerge, NothingStagedIsASuccessThatChangesNothing) {
  make_tree(program, {{"game.exe", "old"}});
  EXPECT_TRUE(merge());
  EXPECT_EQ("old", content_of(at("game.exe")));
  EXPECT_FALSE(exists(at(".update")));
}

TEST_F(UpdateMerge, VemooldGoesAtEveryMerge) {
  const struct {
    const char* old_entry;
    bool staged;
  } cases[] = {{".vemoold", false}, {".vemoold\\bin\\launcher.exe", false}, {".vemoold", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.old_entry);
    make_tree(program, {{c.old_entry, "previous"}});
    if (c.staged) make_tree(program, {{".update\\x.txt", "x"}});
    EXPECT_TRUE(merge());
    EXPECT_FALSE(exists(at(".vemoold")));
  }
}

TEST_F(UpdateMerge, StagedFolderMergesIntoTheExistingOneAndLeavesTheStageEmpty) {
  make_tree(program, {{"data\\a.pak", "old a"},
                             {"data\\keep.pak", "keep"},
                             {"data\\sub\\b.pak", "old b"},
                             {"top.dll", "old top"},
                             {".update\\data\\a.pak", "new a"},
                             {".update\\data\\sub\\b.pak", "new b"},
                             {".update\\data\\sub\\deeper\\c.pak", "new c"},
                             {".update\\top.dll", "new top"},
                             {".update\\added.txt", "added"}});
  CreateDirectoryW(utf8_to_wstring(at(".update\\empty")).c_str(), nullptr);

  EXPECT_TRUE(merge());
  EXPECT_EQ("new a", content_of(at("data\\a.pak")));
  EXPECT_EQ("keep", content_of(at("data\\keep.pak")));
  EXPECT_EQ("new b", content_of(at("data\\sub\\b.pak")));
  EXPECT_EQ("new c", content_of(at("data\\sub\\deeper\\c.pak")));
  EXPECT_EQ("new top", content_of(at("top.dll")));
  EXPECT_EQ("added", content_of(at("added.txt")));
  EXPECT_TRUE(exists(at("empty")));
  EXPECT_TRUE(exists(at(".update")));
  EXPECT_EQ(std::vector<std::string>{}, names_in(at(".update")));
}

// True when lines holds a line beginning with each expected text, in this
// order (other lines may come between them).
bool logged_in_order(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
  auto next = lines.begin();
  for (const std::string& start : expected) {
    next = std::find_if(next, lines.end(), [&start](const std::string& line) { return line.rfind(start, 0) == 0; });
    if (next == lines.end()) return false;
    ++next;
  }
  return true;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line;
  return out;
}

TEST_F(UpdateMerge, LogTellsWhatBecameOfEachStagedEntry) {
  std::string staged_file = at(".update\\top.dll");
  const struct {
    const char* staged;  // below ".update"
    bool lock_target;
    std::vector<std::string> expected;
  } cases[] = {
      {"top.dll",
       false,
       {"copy_directory_from_update_to_exe called\n", "strUTF8 = top.dll\n",
        "src_path_w is exist, src_path_w = " + staged_file + "\n",
        "vemo_copy_file_or_directory success, ready to remove this directory.\n",
        "vemo_remove_file_or_directory success.\n", "copy_directory_from_update_to_exe finished, allOk = 1\n"}},
      {"data\\a.pak",
       false,
       {"strUTF8 = data\n", "src_path_w is exist, src_path_w = " + at(".update\\data") + "\n", "strUTF8 = a.pak\n",
        "src_path_w is exist, src_path_w = " + at(".update\\data\\a.pak") + "\n",
        "vemo_remove_file_or_directory success.\n",
        "vemo_copy_file_or_directory success, ready to remove this directory.\n",  // the staged folder
        "vemo_remove_file_or_directory success.\n", "copy_directory_from_update_to_exe finished, allOk = 1\n"}},
      {"top.dll",
       true,
       {"strUTF8 = top.dll\n", "vemo_copy_file_or_directory failed, src_path_w = " + staged_file + ", code = ",
        "copy_directory_from_update_to_exe finished, allOk = 0\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.staged) + (c.lock_target ? ", locked target" : ""));
    make_tree(program, {{"top.dll", "old top"}, {std::string(".update\\") + c.staged, "new"}});
    std::vector<std::string> lines;
    {
      // Held open without sharing, as a running program holds its files.
      vemo::UniqueHandle lock;
      if (c.lock_target)
        lock.reset(CreateFileW(utf8_to_wstring(at("top.dll")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
      vemo::test::DebugLogCapture log;
      merge();
      lines = log.lines();
    }
    EXPECT_TRUE(logged_in_order(lines, c.expected)) << joined(lines);
    merge();  // finishes what a locked target left staged
  }
}

TEST_F(UpdateMerge, LockedTargetKeepsItsStagedFileAndTheRestIsMerged) {
  make_tree(program, {{"data\\locked.dll", "old locked"},
                             {"data\\other.dll", "old other"},
                             {".update\\data\\locked.dll", "new locked"},
                             {".update\\data\\other.dll", "new other"},
                             {".update\\top.txt", "new top"}});
  {
    // Held open without sharing, as a running program holds its files.
    vemo::UniqueHandle lock(CreateFileW(utf8_to_wstring(at("data\\locked.dll")).c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_FALSE(merge());
    EXPECT_EQ("new other", content_of(at("data\\other.dll")));
    EXPECT_EQ("new top", content_of(at("top.txt")));
    EXPECT_EQ(std::vector<std::string>{"data"}, names_in(at(".update")));
    EXPECT_EQ(std::vector<std::string>{"locked.dll"}, names_in(at(".update\\data")));
  }
  EXPECT_EQ("old locked", content_of(at("data\\locked.dll")));
  // The next start finishes the merge.
  EXPECT_TRUE(merge());
  EXPECT_EQ("new locked", content_of(at("data\\locked.dll")));
  EXPECT_EQ(std::vector<std::string>{}, names_in(at(".update")));
}

TEST_F(UpdateMerge, CopiesLeftByAKilledMergeAreCleanedUpWhereItMerges) {
  make_tree(program, {{"~vemocopy-1f0-3.tmp", "partial"},
                             {"data\\~vemocopy-2a-1.tmp", "partial"},
                             {"data\\~vemocopy-2a-2.tmp", "being written"},
                             {"data\\~vemocopy-notes.txt", "not ours"},
                             {"other\\~vemocopy-2a-4.tmp", "not merged here"},
                             {".update\\data\\a.pak", "new a"}});
  vemo::UniqueHandle writing(CreateFileW(utf8_to_wstring(at("data\\~vemocopy-2a-2.tmp")).c_str(), GENERIC_WRITE, 0,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writing);
  EXPECT_TRUE(merge());
  EXPECT_EQ((std::vector<std::string>{"a.pak", "~vemocopy-2a-2.tmp", "~vemocopy-notes.txt"}),
            sorted_names_in(at("data")));
  EXPECT_FALSE(exists(at("~vemocopy-1f0-3.tmp")));
  EXPECT_TRUE(exists(at("other\\~vemocopy-2a-4.tmp")));
}

TEST_F(UpdateMerge, StagedFileOverAFolderFailsAndStaysStaged) {
  make_tree(program, {{"res\\inside.txt", "folder"}, {".update\\res", "a file now"}, {".update\\b.txt", "b"}});
  EXPECT_FALSE(merge());
  EXPECT_EQ("folder", content_of(at("res\\inside.txt")));
  EXPECT_EQ("b", content_of(at("b.txt")));
  EXPECT_EQ(std::vector<std::string>{"res"}, names_in(at(".update")));
}

// A staged link stands for files outside the stage: the merge neither moves
// them in nor removes the link (removing a file link under Wine removes its
// target), and everything behind it stays as it was.
TEST_F(UpdateMerge, StagedLinksAreLeftAsTheyAreWithWhatTheyPointTo) {
  const struct {
    const char* link;  // below the program folder
    bool to_folder;
    const char* program_file;  // what the link would have put there
  } cases[] = {{".update", true, "precious.txt"},
               {".update\\data", true, "data\\precious.txt"},
               {".update\\precious.txt", false, "precious.txt"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    TempDir scene{"merge-link"};
    std::string game = scene.file("game");
    std::string outside = scene.file("outside");
    make_tree(scene.path(), {{"outside\\precious.txt", "P"}, {"outside\\deep\\more.txt", "M"}, {"game\\game.exe", "old"}});
    if (std::string(c.link) != ".update") make_tree(game, {{".update\\fine.txt", "fine"}});
    std::string link = game + "\\" + c.link;
    bool made = c.to_folder ? vemo::test::make_folder_link(link, outside)
                            : vemo::test::make_file_link(link, outside + "\\precious.txt");
    if (!made) GTEST_SKIP() << "this system cannot make links";

    EXPECT_FALSE(merge_staged_update(game));
    EXPECT_EQ("P", content_of(outside + "\\precious.txt"));
    EXPECT_EQ("M", content_of(outside + "\\deep\\more.txt"));
    EXPECT_FALSE(exists(game + "\\" + c.program_file));
    EXPECT_FALSE(exists(game + "\\deep"));
    EXPECT_TRUE(exists(link));
    EXPECT_EQ("old", content_of(game + "\\game.exe"));
    vemo::test::remove_folder_link(link);
    EXPECT_EQ("P", content_of(outside + "\\precious.txt"));
  }
}

TEST_F(UpdateMerge, NamesThatWindowsWouldCutAreRefused) {
  // Windows drops trailing blanks and dots: ".. " would mean the folder
  // above, "..." the folder itself. Only the long-path form makes them.
  const struct {
    const char* folder;
    const char* name;
  } cases[] = {{".update", ".. "}, {".update", "..."}, {".update\\data", ".. "}, {".update\\data", "x."}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + "\\" + c.name);
    make_tree(program, {{"data\\kept.txt", "old"}, {".update\\fine.txt", "fine"}});
    CreateDirectoryW(utf8_to_wstring(at(c.folder)).c_str(), nullptr);
    std::wstring hostile = L"\\\\?\\" + utf8_to_wstring(at(c.folder)) + L"\\" + utf8_to_wstring(c.name);
    ASSERT_TRUE(CreateDirectoryW(hostile.c_str(), nullptr));
    vemo::UniqueHandle file(CreateFileW((hostile + L"\\kept.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    file.reset();

    EXPECT_FALSE(merge());
    EXPECT_EQ(std::vector<std::string>{"game"}, names_in(root.path()));
    // Nothing was made of the name, under any spelling; the entry stays staged.
    EXPECT_EQ((std::vector<std::string>{".update", "data", "fine.txt"}), sorted_names_in(program));
    EXPECT_EQ(std::vector<std::string>{"kept.txt"}, names_in(at("data")));
    EXPECT_EQ("old", content_of(at("data\\kept.txt")));
    EXPECT_EQ("fine", content_of(at("fine.txt")));
    EXPECT_EQ(std::vector<std::string>{"kept.txt"}, names_in(wstring_to_utf8(hostile)));
    DeleteFileW((hostile + L"\\kept.txt").c_str());
    RemoveDirectoryW(hostile.c_str());
  }
}

// A program that only merges, copied into the program folder, killed while
// it works through many staged files and then started again.
class KilledMerge : public UpdateMerge {
protected:
  static constexpr int kFiles = 300;

  static std::string name_of(int i) { return "f" + std::to_string(i) + ".pak"; }
  static std::string old_content(int i) { return std::string(64 * 1024 + i, static_cast<char>('a' + i % 26)); }
  static std::string new_content(int i) { return std::string(256 * 1024 - i, static_cast<char>('A' + i % 26)); }

  void SetUp() override {
    UpdateMerge::SetUp();
    std::string probe = vemo::test::test_bin_dir() + "\\update_merge_probe.exe";
    ASSERT_TRUE(CopyFileW(utf8_to_wstring(probe).c_str(), utf8_to_wstring(at("merger.exe")).c_str(), FALSE));
    for (int i = 0; i < kFiles; ++i) {
      make_tree(program, {{"data\\" + name_of(i), old_content(i)}});
      make_tree(program, {{".update\\data\\" + name_of(i), new_content(i)}});
    }
  }

  PROCESS_INFORMATION start_merger() {
    std::wstring command = L"\"" + utf8_to_wstring(at("merger.exe")) + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION info = {};
    CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    return info;
  }
};

TEST_F(KilledMerge, EveryFileIsOldOrNewAndTheNextStartFinishes) {
  PROCESS_INFORMATION info = start_merger();
  ASSERT_NE(nullptr, info.hProcess);
  vemo::UniqueHandle process(info.hProcess), thread(info.hThread);
  // Kill it once it has begun: some staged files are gone, not all.
  size_t staged = kFiles;
  for (int i = 0; i < 20000 && staged == static_cast<size_t>(kFiles); ++i) {
    staged = names_in(at(".update\\data")).size();
    if (staged == static_cast<size_t>(kFiles)) Sleep(1);
  }
  TerminateProcess(process.get(), 9);
  WaitForSingleObject(process.get(), 30000);
  staged = names_in(at(".update\\data")).size();
  RecordProperty("staged_after_kill", static_cast<int>(staged));

  int already_new = 0;
  for (int i = 0; i < kFiles; ++i) {
    std::string content = content_of(at("data\\" + name_of(i)));
    bool is_new = content == new_content(i);
    EXPECT_TRUE(is_new || content == old_content(i)) << name_of(i) << " has " << content.size() << " bytes";
    already_new += is_new;
  }
  EXPECT_GT(already_new, 0);

  PROCESS_INFORMATION again = start_merger();
  ASSERT_NE(nullptr, again.hProcess);
  vemo::UniqueHandle process_again(again.hProcess), thread_again(again.hThread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_again.get(), 120000));
  DWORD exit_code = 1;
  GetExitCodeProcess(process_again.get(), &exit_code);
  EXPECT_EQ(0u, exit_code);
  for (int i = 0; i < kFiles; ++i) EXPECT_EQ(new_content(i), content_of(at("data\\" + name_of(i)))) << name_of(i);
  EXPECT_EQ(std::vector<std::string>{}, names_in(at(".update")));
  EXPECT_EQ(static_cast<size_t>(kFiles), names_in(at("data")).size());  // no copy of the killed run is left
}

}  // namespace
