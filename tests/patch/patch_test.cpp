// File and folder patches from Lua through the sample patch plug-in, on
// patches made by the native bsdiff tool (make_patch_fixtures.py): progress,
// the one answer, the new files' bytes, and each way a file or a request
// fails.
#include <gtest/gtest.h>

#include <lua.hpp>
#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/path_utils.h"
#include "core/owners.h"
#include "core/text_convert.h"
#include "test_support.h"
#include "vemosdk_fixture.h"

extern "C" void vemosdk_set_vendors_path(const char* path);

namespace vemo::test {
namespace {

std::string fixtures() { return work_dir() + "\\patch-fixtures"; }
// The folder that holds the build's vendors\hpatchz\hpatchz.dll.
std::string plugin_root() { return work_dir() + "\\..\\bin"; }

struct FixtureFile {
  std::string name, patch, md5;
};

std::vector<FixtureFile> fixture_files() {
  std::string text;
  EXPECT_TRUE(read_file(fixtures() + "\\fixtures.txt", text));
  std::istringstream lines(text);
  std::vector<FixtureFile> files;
  FixtureFile file;
  while (lines >> file.name >> file.patch >> file.md5) files.push_back(file);
  return files;
}

std::string bytes_of(const std::string& path) {
  std::string bytes;
  return read_file(path, bytes) ? bytes : "<unreadable>";
}

std::string backslashes(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string json_text(const std::string& text) {
  std::string out = "\"";
  for (char c : text) out += (c == '\\' || c == '"') ? std::string("\\") + c : std::string(1, c);
  return out + "\"";
}

std::string json_array(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (const std::string& t : texts) out += (out.size() > 1 ? "," : "") + json_text(t);
  return out + "]";
}

struct Task {
  std::string name, id, json;
};

class PatchFrontEnd : public VemosdkModule {
protected:
  void SetUp() override {
    VemosdkModule::SetUp();
    vemosdk_set_vendors_path(plugin_root().c_str());
  }

  // Every task until the "ASYNC_CALL" for id (included), ticking up to 60 s.
  std::vector<Task> tasks_until(int64_t id) {
    lua_State* s = L.get();
    std::vector<Task> seen;
    for (int round = 0; round < 6000; ++round) {
      lua_settop(s, 0);
      lua_getglobal(s, "_vemosdk");
      lua_getfield(s, -1, "tick");
      lua_remove(s, 1);
      lua_call(s, 0, LUA_MULTRET);
      if (lua_gettop(s) < 4) {
        Sleep(5);
        continue;
      }
      std::vector<std::string> values = pop_values(s, lua_gettop(s));
      seen.push_back({values[0], values[1], values[2]});
      if (values[0] == "ASYNC_CALL" && values[1] == "#" + std::to_string(id)) return seen;
    }
    ADD_FAILURE() << "no answer for " << id;
    return seen;
  }

  // The tasks waiting now (the latest-event slot may still hold one).
  std::vector<Task> drain() {
    std::vector<Task> seen;
    for (;;) {
      lua_State* s = L.get();
      lua_settop(s, 0);
      lua_getglobal(s, "_vemosdk");
      lua_getfield(s, -1, "tick");
      lua_remove(s, 1);
      lua_call(s, 0, LUA_MULTRET);
      if (lua_gettop(s) < 4) return seen;
      std::vector<std::string> values = pop_values(s, lua_gettop(s));
      seen.push_back({values[0], values[1], values[2]});
    }
  }

  std::string answer(int64_t id) {
    std::vector<Task> seen = tasks_until(id);
    return seen.empty() ? "<no answer>" : seen.back().json;
  }

  std::string patch_files(int64_t id, const std::string& request) {
    EXPECT_EQ("", run("_vemosdk.vemosdk_patch_files(" + std::to_string(id) + ", " + quoted(request) + ")"));
    return answer(id);
  }

  std::string patch_dir(int64_t id, const std::string& request) {
    EXPECT_EQ("", run("_vemosdk.vemosdk_patch_dir(" + std::to_string(id) + ", " + quoted(request) + ")"));
    return answer(id);
  }

  // A request for the fixture files, old files in old (else respkg).
  static std::string files_request(const std::string& patch_dir, const std::string& new_dir,
                                   const std::vector<std::string>& old_files,
                                   const std::vector<std::string>& new_files,
                                   const std::vector<std::string>& patches, const std::vector<std::string>& md5s) {
    return "{\"options\":{\"oldDirPath\":" + json_text(fixtures() + "\\old\\") +
           ",\"resPkgDirPath\":" + json_text(fixtures() + "\\respkg") + ",\"patchDirPath\":" + json_text(patch_dir) +
           ",\"newDirPath\":" + json_text(new_dir + "/") + "},\"oldFilePaths\":" + json_array(old_files) +
           ",\"newFilePaths\":" + json_array(new_files) + ",\"patchFilePaths\":" + json_array(patches) +
           ",\"newFileMd5Array\":" + json_array(md5s) + "}";
  }

  static std::string dir_request(const std::string& manifest, const std::string& new_dir) {
    return "{\"oldDirPath\":" + json_text(fixtures() + "\\old") + ",\"resPkgDirPath\":" +
           json_text(fixtures() + "\\respkg") + ",\"patchFilePath\":" + json_text(manifest) +
           ",\"newDirPath\":" + json_text(new_dir) + "}";
  }
};

// First in this program: the plug-in handle is kept once it loads.
TEST_F(PatchFrontEnd, WithoutThePluginBothRequestsAnswerMinusOneAndTheNextRequestLoadsIt) {
  TempDir empty("patch-no-plugin");
  TempDir out("patch-no-plugin-out");
  vemosdk_set_vendors_path(empty.path().c_str());
  const std::vector<FixtureFile> files = fixture_files();
  ASSERT_EQ(3u, files.size());
  std::string request = files_request(fixtures() + "\\patches", out.path(), {files[0].name}, {files[0].name},
                                      {files[0].patch}, {files[0].md5});
  EXPECT_EQ(R"({"ret":-1,"msg":"the patch plug-in cannot be loaded"})", patch_files(600, request));
  EXPECT_EQ(R"({"ret":-1,"msg":"the patch plug-in cannot be loaded"})",
            patch_dir(601, dir_request(fixtures() + "\\patches\\manifest.txt", out.path())));

  vemosdk_set_vendors_path(plugin_root().c_str());
  EXPECT_EQ(R"({"ret":0})", patch_files(602, request));
}

TEST_F(PatchFrontEnd, ThreeFilesReportProgressToThreeOfThreeThenOneAnswerAndIdenticalFiles) {
  TempDir out("patch-three");
  const std::vector<FixtureFile> files = fixture_files();
  ASSERT_EQ(3u, files.size());
  std::vector<std::string> names, patches, md5s;
  for (const FixtureFile& f : files) {
    names.push_back("/" + f.name);  // one leading separator is dropped
    patches.push_back("\\" + f.patch);
    md5s.push_back(f.md5);
  }
  // The third old file lies only in the resource-package folder.
  ASSERT_EQ("<unreadable>", bytes_of(fixtures() + "\\old\\" + backslashes(files[2].name)));
  std::string request = files_request(fixtures() + "\\patches\\", out.path(), names, names, patches, md5s);
  ASSERT_EQ("", run("_vemosdk.vemosdk_patch_files(610, " + quoted(request) + ")"));
  std::vector<Task> seen = tasks_until(610);
  // The last progress may still wait in the latest-event slot after the answer.
  std::vector<Task> rest = drain();
  int last_done = 0;
  int answers = 0;
  for (const std::vector<Task>* list : {&seen, &rest}) {
    for (const Task& t : *list) {
      if (t.name == "ASYNC_CALL") ++answers;
      if (t.name != "PATCH_EVENT") continue;
      EXPECT_EQ("#610", t.id);
      int done = 0, total = 0;
      ASSERT_EQ(2, std::sscanf(t.json.c_str(), "{\"completeCount\":%d,\"totalCount\":%d}", &done, &total)) << t.json;
      EXPECT_EQ(3, total);
      EXPECT_GT(done, last_done);
      last_done = done;
    }
  }
  EXPECT_EQ(3, last_done);
  EXPECT_EQ(1, answers);
  EXPECT_EQ(R"({"ret":0})", seen.back().json);
  for (const FixtureFile& f : files)
    EXPECT_TRUE(bytes_of(fixtures() + "\\expected\\" + backslashes(f.name)) == bytes_of(out.file(backslashes(f.name))))
        << f.name;
}

TEST_F(PatchFrontEnd, EachFailingFileIsListedAloneAndTheOthersArePatched) {
  TempDir out("patch-failures");
  TempDir patches("patch-failures-patches");
  const std::vector<FixtureFile> files = fixture_files();
  ASSERT_EQ(3u, files.size());
  for (const FixtureFile& f : files)
    ASSERT_TRUE(write_file(patches.file(f.patch), bytes_of(fixtures() + "\\patches\\" + f.patch)));
  const std::string whole = bytes_of(patches.file(files[1].patch));
  ASSERT_TRUE(write_file(patches.file("truncated.patch"), whole.substr(0, whole.size() / 2)));
  std::string scrambled = whole;
  for (size_t i = 40; i < scrambled.size(); i += 7) scrambled[i] = static_cast<char>(scrambled[i] ^ 0x33);
  ASSERT_TRUE(write_file(patches.file("scrambled.patch"), scrambled));
  ASSERT_TRUE(write_file(patches.file("not-a-patch.patch"), "plain text"));
  std::string upper_md5 = files[0].md5;
  for (char& c : upper_md5) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));

  const struct {
    std::string old_file, new_file, patch, md5;
    bool patched;
  } cases[] = {
      {files[0].name, "upper.bin", files[0].patch, upper_md5, false},  // the bytes are right, the case is not
      {files[1].name, "truncated.txt", "truncated.patch", files[1].md5, false},
      {files[1].name, "scrambled.txt", "scrambled.patch", files[1].md5, false},
      {files[1].name, "plain.txt", "not-a-patch.patch", files[1].md5, false},
      {"missing.bin", "missing.bin", files[0].patch, files[0].md5, false},
      {files[0].name, "../escaped.bin", files[0].patch, files[0].md5, false},
      {files[0].name, "sub/../../escaped2.bin", files[0].patch, files[0].md5, false},
      {files[2].name, "deep/er/c.dat", files[2].patch, files[2].md5, true},
  };
  std::vector<std::string> olds, news, patch_names, md5s, succ, fail;
  for (const auto& c : cases) {
    olds.push_back(c.old_file);
    news.push_back(c.new_file);
    patch_names.push_back(c.patch);
    md5s.push_back(c.md5);
    (c.patched ? succ : fail).push_back(c.new_file);
  }
  std::string expected = "{\"patch_succ_files\":" + json_array(succ) + ",\"patch_fail_files\":" + json_array(fail) +
                         ",\"ret\":1}";
  EXPECT_EQ(expected, patch_files(620, files_request(patches.path(), out.path(), olds, news, patch_names, md5s)));

  EXPECT_TRUE(bytes_of(fixtures() + "\\expected\\" + backslashes(files[2].name)) == bytes_of(out.file("deep\\er\\c.dat")));
  EXPECT_TRUE(bytes_of(fixtures() + "\\expected\\" + backslashes(files[0].name)) == bytes_of(out.file("upper.bin")));
  // A failed patch leaves no new file, half-written or whole; ".." never leaves the folder.
  for (const char* name : {"truncated.txt", "scrambled.txt", "plain.txt", "missing.bin", "truncated.txt.patching"})
    EXPECT_EQ("<unreadable>", bytes_of(out.file(name))) << name;
  EXPECT_EQ("<unreadable>", bytes_of(out.path() + "\\..\\escaped.bin"));
  EXPECT_EQ("<unreadable>", bytes_of(out.path() + "\\..\\escaped2.bin"));
}

TEST_F(PatchFrontEnd, RequestsThatCannotBeReadAnswerMinusOneOnce) {
  TempDir out("patch-bad-requests");
  const std::vector<FixtureFile> files = fixture_files();
  ASSERT_EQ(3u, files.size());
  const std::string p = fixtures() + "\\patches";
  const struct {
    std::string request, answer;
  } cases[] = {
      {files_request(p, out.path(), {"a", "b"}, {"a"}, {"a", "b"}, {"x", "y"}),
       R"({"ret":-1,"msg":"the four file arrays differ in length"})"},
      {files_request(p, out.path(), {"a"}, {"a"}, {"a"}, {}), R"({"ret":-1,"msg":"the four file arrays differ in length"})"},
      {"not json", R"({"ret":-1,"msg":"the request is not a JSON object"})"},
      {"{\"oldFilePaths\":[],\"newFilePaths\":[],\"patchFilePaths\":[]}",
       R"({"ret":-1,"msg":"newFileMd5Array is not an array"})"},
      {"{\"oldFilePaths\":[1],\"newFilePaths\":[\"a\"],\"patchFilePaths\":[\"a\"],\"newFileMd5Array\":[\"a\"]}",
       R"({"ret":-1,"msg":"oldFilePaths holds a value that is not a text"})"},
      {files_request(p, out.path(), {}, {}, {}, {}), R"({"ret":0})"},
  };
  int64_t id = 630;
  for (const auto& c : cases) {
    ++id;
    EXPECT_EQ(c.answer, patch_files(id, c.request)) << c.request;
    for (const Task& t : drain()) EXPECT_NE("#" + std::to_string(id), t.id) << "a second answer: " << t.json;
  }
}

TEST_F(PatchFrontEnd, AFolderPatchAppliesItsManifestAndFailsOnlyWhatItMust) {
  const std::vector<FixtureFile> files = fixture_files();
  ASSERT_EQ(3u, files.size());
  const std::string manifest = bytes_of(fixtures() + "\\patches\\manifest.txt");
  auto expect_files = [&](const std::string& folder) {
    for (const FixtureFile& f : files)
      EXPECT_TRUE(bytes_of(fixtures() + "\\expected\\" + backslashes(f.name)) == bytes_of(folder + "\\" + backslashes(f.name)))
          << f.name;
    EXPECT_TRUE(bytes_of(fixtures() + "\\expected\\" + files[1].name) == bytes_of(folder + "\\copies\\" + files[1].name));
  };

  {  // the manifest as made: every file, with progress up to 4 of 4
    TempDir out("patch-folder");
    ASSERT_EQ("", run("_vemosdk.vemosdk_patch_dir(640, " + quoted(dir_request(fixtures() + "\\patches\\manifest.txt", out.path())) + ")"));
    std::vector<Task> seen = tasks_until(640);
    const std::string answer_text = seen.back().json;
    for (const Task& t : drain()) seen.push_back(t);
    std::string last_progress;
    for (const Task& t : seen)
      if (t.name == "PATCH_EVENT" && t.id == "#640") last_progress = t.json;
    EXPECT_EQ(R"({"completeCount":4,"totalCount":4})", last_progress);
    EXPECT_EQ(R"({"ret":0})", answer_text);
    expect_files(out.path());
  }
  {  // one truncated patch: that file alone fails
    TempDir out("patch-folder-truncated");
    TempDir patches("patch-folder-truncated-patches");
    for (const FixtureFile& f : files)
      ASSERT_TRUE(write_file(patches.file(f.patch), bytes_of(fixtures() + "\\patches\\" + f.patch)));
    const std::string whole = bytes_of(patches.file(files[0].patch));
    ASSERT_TRUE(write_file(patches.file(files[0].patch), whole.substr(0, whole.size() - 9)));
    ASSERT_TRUE(write_file(patches.file("manifest.txt"), manifest));
    EXPECT_EQ(R"({"ret":1})", patch_dir(641, dir_request(patches.file("manifest.txt"), out.path())));
    EXPECT_EQ("<unreadable>", bytes_of(out.file(backslashes(files[0].name))));
    EXPECT_TRUE(bytes_of(fixtures() + "\\expected\\" + backslashes(files[1].name)) == bytes_of(out.file(backslashes(files[1].name))));
  }
  {  // a manifest line that leaves its folder: nothing is applied
    TempDir out("patch-folder-escape");
    TempDir patches("patch-folder-escape-patches");
    for (const FixtureFile& f : files)
      ASSERT_TRUE(write_file(patches.file(f.patch), bytes_of(fixtures() + "\\patches\\" + f.patch)));
    ASSERT_TRUE(write_file(patches.file("manifest.txt"),
                           files[0].name + "\t" + files[0].patch + "\t" + files[0].name + "\n" + files[1].name + "\t" +
                               files[1].patch + "\t../" + files[1].name + "\n"));
    EXPECT_EQ(R"({"ret":-1})", patch_dir(642, dir_request(patches.file("manifest.txt"), out.path())));
    EXPECT_EQ("<unreadable>", bytes_of(out.file(backslashes(files[0].name))));
  }
  {  // no manifest at all
    TempDir out("patch-folder-missing");
    EXPECT_EQ(R"({"ret":-1})", patch_dir(643, dir_request(out.file("none.txt"), out.path())));
  }
  // A text that does not parse does nothing: the next request's answer comes alone.
  TempDir out("patch-folder-unparsable");
  ASSERT_EQ("", run("_vemosdk.vemosdk_patch_dir(644, 'not json')"));
  ASSERT_EQ("", run("_vemosdk.vemosdk_patch_dir(645, " + quoted(dir_request(out.file("none.txt"), out.path())) + ")"));
  std::vector<Task> seen = tasks_until(645);
  for (const Task& t : seen) EXPECT_NE("#644", t.id) << t.json;
}

std::string full_path(const std::string& path) {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetFullPathNameW(utf8_to_wstring(path).c_str(), MAX_PATH, buffer, nullptr);
  return wstring_to_utf8(std::wstring(buffer, n));
}

// A program started from another folder: relative folders of both requests
// are in the program folder, and the current folder gets nothing.
TEST_F(PatchFrontEnd, RelativeFoldersAreInTheProgramFolderWhateverTheCurrentFolder) {
  const std::vector<FixtureFile> files = fixture_files();
  ASSERT_EQ(3u, files.size());
  // The work folder as the program folder reaches it.
  const std::string work = work_dir();
  const std::string to_work = "..\\..\\" + work.substr(work.find_last_of('\\') + 1);
  ASSERT_EQ(full_path(work), full_path(get_program_dir() + to_work));
  const std::string fixtures_rel = to_work + "\\patch-fixtures";
  TempDir out_files("patch-relative-files");
  TempDir out_dir("patch-relative-dir");
  TempDir elsewhere("patch-relative-cwd");
  auto relative = [&](const TempDir& dir) { return to_work + dir.path().substr(work.size()); };

  std::vector<std::string> names, patches, md5s;
  for (const FixtureFile& f : files) {
    names.push_back(f.name);
    patches.push_back(f.patch);
    md5s.push_back(f.md5);
  }
  const std::string files_text = "{\"options\":{\"oldDirPath\":" + json_text(fixtures_rel + "\\old") +
                                 ",\"resPkgDirPath\":" + json_text(fixtures_rel + "\\respkg") +
                                 ",\"patchDirPath\":" + json_text(fixtures_rel + "\\patches") +
                                 ",\"newDirPath\":" + json_text(relative(out_files)) + "},\"oldFilePaths\":" +
                                 json_array(names) + ",\"newFilePaths\":" + json_array(names) +
                                 ",\"patchFilePaths\":" + json_array(patches) + ",\"newFileMd5Array\":" +
                                 json_array(md5s) + "}";
  const std::string dir_text = "{\"oldDirPath\":" + json_text(fixtures_rel + "\\old") + ",\"resPkgDirPath\":" +
                               json_text(fixtures_rel + "\\respkg") + ",\"patchFilePath\":" +
                               json_text(fixtures_rel + "\\patches\\manifest.txt") + ",\"newDirPath\":" +
                               json_text(relative(out_dir)) + "}";

  wchar_t saved[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, saved);
  // Deeper than the program folder, so that the ".." steps lead elsewhere from it.
  const std::string current = elsewhere.file("one\\two");
  ASSERT_TRUE(CreateDirectoryW(utf8_to_wstring(elsewhere.file("one")).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(utf8_to_wstring(current).c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryW(utf8_to_wstring(current).c_str()));
  std::string files_answer = patch_files(650, files_text);
  std::string dir_answer = patch_dir(651, dir_text);
  SetCurrentDirectoryW(saved);

  EXPECT_EQ(R"({"ret":0})", files_answer);
  EXPECT_EQ(R"({"ret":0})", dir_answer);
  for (const FixtureFile& f : files) {
    const std::string expected = bytes_of(fixtures() + "\\expected\\" + backslashes(f.name));
    EXPECT_TRUE(expected == bytes_of(out_files.file(backslashes(f.name)))) << f.name;
    EXPECT_TRUE(expected == bytes_of(out_dir.file(backslashes(f.name)))) << f.name;
  }
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(utf8_to_wstring(current + "\\*").c_str(), &entry));
  int entries = 0;
  if (find) {
    do {
      if (std::wstring(entry.cFileName) != L"." && std::wstring(entry.cFileName) != L"..") ++entries;
    } while (FindNextFileW(find.get(), &entry));
  }
  EXPECT_EQ(0, entries) << "the current folder got files";
}

}  // namespace
}  // namespace vemo::test
