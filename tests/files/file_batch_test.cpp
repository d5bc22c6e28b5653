// The batch workers on fixture trees, and the road of their answers: one
// thread per batch, one "ASYNC_CALL" task per callback id.
#include <gtest/gtest.h>
#include <windows.h>

#include <cjson/cJSON.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/lua_task_queue.h"
#include "core/md5.h"
#include "core/owners.h"
#include "core/string_utils.h"
#include "file_fixtures.h"
#include "files/file_batch.h"
#include "files/file_batch_workers.h"
#include "files/file_op_error.h"
#include "lua.hpp"
#include "test_support.h"

namespace {

using vemo::test::content_of;
using vemo::test::exists;
using vemo::test::make_tree;
using vemo::test::TempDir;

using vemo::JsonPtr;

JsonPtr parse(const std::string& text) { return JsonPtr(cJSON_Parse(text.c_str())); }

const cJSON* member(const cJSON* object, const char* name) { return cJSON_GetObjectItemCaseSensitive(object, name); }
std::string text_of(const cJSON* object, const char* name) {
  const cJSON* item = member(object, name);
  return cJSON_IsString(item) ? item->valuestring : "<none>";
}
double number_of(const cJSON* object, const char* name) {
  const cJSON* item = member(object, name);
  return cJSON_IsNumber(item) ? item->valuedouble : -1;
}

// JSON written with single quotes for readability.
JsonPtr json(std::string text) {
  for (char& c : text)
    if (c == '\'') c = '"';
  JsonPtr parsed = parse(text);
  EXPECT_NE(nullptr, parsed) << text;
  return parsed;
}

// Paths in JSON texts need their backslashes doubled.
std::string escaped(const std::string& path) {
  std::string out;
  for (char c : path) {
    out += c;
    if (c == '\\') out += '\\';
  }
  return out;
}

TEST(FileBatchCopy, OverrideOffFailsOnlyTheExistingTarget) {
  TempDir dir("batch-copy");
  make_tree(dir.path(), {{"src\\a", "new a"}, {"src\\b", "new b"}, {"src\\c", "new c"}, {"dst\\b", "old b"}});
  JsonPtr items = json("{'a':'a', 'b':'b', 'c':'sub\\\\c', 'skipped': 5}");
  JsonPtr options = json("{'need_override': false, 'src_base_path':'" + escaped(dir.file("src")) +
                      "', 'dst_base_path':'" + escaped(dir.file("dst")) + "'}");
  JsonPtr answer(do_vemo_file_batch_copy(items.get(), options.get()));

  EXPECT_FALSE(cJSON_IsTrue(member(answer.get(), "succ")));
  EXPECT_EQ(ERROR_FILE_EXISTS, number_of(answer.get(), "code"));
  EXPECT_NE("<none>", text_of(answer.get(), "msg"));
  const cJSON* failed = member(answer.get(), "result_ext");
  EXPECT_EQ(1, cJSON_GetArraySize(failed));
  EXPECT_EQ(ERROR_FILE_EXISTS, number_of(member(failed, "b"), "code"));
  EXPECT_EQ("old b", content_of(dir.file("dst\\b")));
  EXPECT_EQ("new a", content_of(dir.file("dst\\a")));
  EXPECT_EQ("new c", content_of(dir.file("dst\\sub\\c")));

  cJSON_ReplaceItemInObject(options.get(), "need_override", cJSON_CreateTrue());
  JsonPtr again(do_vemo_file_batch_copy(items.get(), options.get()));
  EXPECT_TRUE(cJSON_IsTrue(member(again.get(), "succ")));
  EXPECT_EQ(0, number_of(again.get(), "code"));
  EXPECT_EQ(nullptr, member(again.get(), "msg"));
  EXPECT_EQ(0, cJSON_GetArraySize(member(again.get(), "result_ext")));
  EXPECT_EQ("new b", content_of(dir.file("dst\\b")));
}

TEST(FileBatchCopy, OnlyAnExplicitFalseKeepsTargets) {
  TempDir dir("batch-copy-flag");
  for (const char* flag : {"", ", 'need_override': true", ", 'need_override': 0", ", 'need_override': 'no'"}) {
    make_tree(dir.path(), {{"s", "new"}, {"d", "old"}});
    JsonPtr items = json("{'s':'d'}");
    JsonPtr options = json("{'src_base_path':'" + escaped(dir.path()) + "','dst_base_path':'" + escaped(dir.path()) +
                        "'" + flag + "}");
    JsonPtr answer(do_vemo_file_batch_copy(items.get(), options.get()));
    EXPECT_TRUE(cJSON_IsTrue(member(answer.get(), "succ"))) << flag;
    EXPECT_EQ("new", content_of(dir.file("d"))) << flag;
  }
}

// Every batch operation that takes a base folder refuses items that leave
// it; files beside the base must come through untouched.
TEST(FileBatchBase, ItemsOutsideTheBaseAreRefusedAndNothingOutsideChanges) {
  TempDir dir("batch-base");
  make_tree(dir.path(), {{"base\\in.txt", "inside"}, {"sentinel.txt", "S"}, {"other\\sentinel.txt", "O"}});
  std::string base = escaped(dir.file("base"));
  const char* hostile[] = {"..\\\\sentinel.txt", "..\\\\other\\\\sentinel.txt", "C:\\\\x"};

  for (const char* item : hostile) {
    SCOPED_TRACE(item);
    JsonPtr list = json(std::string("['") + item + "']");
    const char* name = cJSON_GetArrayItem(list.get(), 0)->valuestring;
    JsonPtr options = json("{'base_path':'" + base + "','check_size':true}");

    JsonPtr removed(do_vemo_file_batch_remove(list.get(), options.get()));
    EXPECT_EQ(kFileOpPathOutsideBase, number_of(removed.get(), "code"));
    EXPECT_EQ(kFileOpPathOutsideBase, number_of(member(member(removed.get(), "result_ext"), name), "code"));
    EXPECT_EQ("path is absolute or leaves the base folder", text_of(removed.get(), "msg"));

    JsonPtr info(do_vemo_file_batch_info(list.get(), options.get()));
    const cJSON* entry = cJSON_GetArrayItem(member(info.get(), "succ_info"), 0);
    EXPECT_FALSE(cJSON_IsTrue(member(entry, "exists")));
    EXPECT_EQ(nullptr, member(entry, "size"));
    EXPECT_EQ(kFileOpPathOutsideBase, number_of(entry, "code"));

    JsonPtr base_text(cJSON_CreateString(dir.file("base").c_str()));
    JsonPtr md5(do_vemo_file_batch_md5(list.get(), base_text.get()));
    EXPECT_EQ(0, cJSON_GetArraySize(member(md5.get(), "succ_data")));
    EXPECT_EQ(kFileOpPathOutsideBase, number_of(md5.get(), "code"));

    // Outward as a source and as a target, for copy and rename.
    std::string pairs[] = {std::string("{'") + item + "':'copied.txt'}", std::string("{'in.txt':'") + item + "'}"};
    for (const std::string& pair : pairs) {
      JsonPtr both = json("{'need_override':true,'src_base_path':'" + base + "','dst_base_path':'" + base + "'}");
      JsonPtr copied(do_vemo_file_batch_copy(json(pair).get(), both.get()));
      EXPECT_EQ(kFileOpPathOutsideBase, number_of(copied.get(), "code")) << pair;
      JsonPtr renamed(do_vemo_file_batch_rename(json(pair).get(), both.get()));
      EXPECT_EQ(kFileOpPathOutsideBase, number_of(renamed.get(), "code")) << pair;
    }
  }
  EXPECT_EQ("S", content_of(dir.file("sentinel.txt")));
  EXPECT_EQ("O", content_of(dir.file("other\\sentinel.txt")));
  EXPECT_EQ("inside", content_of(dir.file("base\\in.txt")));
  EXPECT_FALSE(exists(dir.file("base\\copied.txt")));
}

// A link below the base leads outside it, however plain the item's text:
// each such item fails alone and what lies behind the link is untouched.
TEST(FileBatchBase, ItemsThroughALinkFailAloneAndTheirTargetsStay) {
  TempDir dir("batch-link");
  make_tree(dir.path(), {{"base\\in.txt", "inside"}, {"base\\tree\\plain.txt", "T"}, {"outside\\keep_me.txt", "K"}});
  if (!vemo::test::make_folder_link(dir.file("base\\lnk"), dir.file("outside")) ||
      !vemo::test::make_file_link(dir.file("base\\flink"), dir.file("outside\\keep_me.txt")) ||
      !vemo::test::make_file_link(dir.file("base\\tree\\flink"), dir.file("outside\\keep_me.txt")))
    GTEST_SKIP() << "this system cannot make links";
  std::string base = escaped(dir.file("base"));
  JsonPtr options = json("{'base_path':'" + base + "'}");
  const char* through_links[] = {"lnk\\\\keep_me.txt", "flink", "lnk"};

  for (const char* item : through_links) {
    SCOPED_TRACE(item);
    JsonPtr list = json(std::string("['") + item + "','in.txt']");
    const char* name = cJSON_GetArrayItem(list.get(), 0)->valuestring;

    JsonPtr info(do_vemo_file_batch_info(list.get(), options.get()));
    EXPECT_EQ(kFileOpPathOutsideBase, number_of(member(member(info.get(), "succ_info"), name), "code"));
    EXPECT_TRUE(cJSON_IsTrue(member(member(member(info.get(), "succ_info"), "in.txt"), "exists")));

    JsonPtr base_text(cJSON_CreateString(dir.file("base").c_str()));
    JsonPtr md5(do_vemo_file_batch_md5(list.get(), base_text.get()));
    EXPECT_EQ(kFileOpPathOutsideBase, number_of(md5.get(), "code"));
    EXPECT_EQ(1, cJSON_GetArraySize(member(md5.get(), "succ_data")));

    std::string pairs[] = {std::string("{'") + item + "':'copied.txt'}", std::string("{'in.txt':'") + item + "'}"};
    for (const std::string& pair : pairs) {
      JsonPtr both = json("{'need_override':true,'src_base_path':'" + base + "','dst_base_path':'" + base + "'}");
      JsonPtr copied(do_vemo_file_batch_copy(json(pair).get(), both.get()));
      EXPECT_EQ(kFileOpPathOutsideBase, number_of(copied.get(), "code")) << pair;
      JsonPtr renamed(do_vemo_file_batch_rename(json(pair).get(), both.get()));
      EXPECT_EQ(kFileOpPathOutsideBase, number_of(renamed.get(), "code")) << pair;
    }

    JsonPtr removed(do_vemo_file_batch_remove(list.get(), options.get()));
    EXPECT_EQ(kFileOpPathOutsideBase, number_of(member(member(removed.get(), "result_ext"), name), "code"));
    EXPECT_FALSE(exists(dir.file("base\\in.txt")));  // the plain item beside it went
    make_tree(dir.path(), {{"base\\in.txt", "inside"}});
    EXPECT_EQ("K", content_of(dir.file("outside\\keep_me.txt")));
  }

  // A tree holding a file link is removed up to the link, never through it.
  JsonPtr tree = json("['tree']");
  JsonPtr removed(do_vemo_file_batch_remove(tree.get(), options.get()));
  EXPECT_EQ("K", content_of(dir.file("outside\\keep_me.txt")));
  if (exists(dir.file("base\\tree\\flink"))) {
    EXPECT_NE(0, number_of(removed.get(), "code"));
  }

  EXPECT_EQ("inside", content_of(dir.file("base\\in.txt")));
  EXPECT_FALSE(exists(dir.file("base\\copied.txt")));
  EXPECT_FALSE(exists(dir.file("outside\\copied.txt")));
  EXPECT_FALSE(exists(dir.file("outside\\in.txt")));
  for (const char* link : {"base\\lnk", "base\\flink", "base\\tree\\flink"}) vemo::test::remove_folder_link(dir.file(link));
  EXPECT_EQ("K", content_of(dir.file("outside\\keep_me.txt")));
}

TEST(FileBatchInfo, ExistenceAndSizes) {
  TempDir dir("batch-info");
  make_tree(dir.path(), {{"f.bin", "12345"}, {"sub\\g", ""}});
  JsonPtr items = json("['f.bin', 'sub', 'none', 'sub/g', 7]");
  JsonPtr with_size = json("{'check_size':true,'base_path':'" + escaped(dir.path()) + "'}");
  JsonPtr answer(do_vemo_file_batch_info(items.get(), with_size.get()));
  EXPECT_TRUE(cJSON_IsTrue(member(answer.get(), "succ")));
  EXPECT_EQ(nullptr, member(answer.get(), "code"));
  EXPECT_EQ(nullptr, member(answer.get(), "msg"));
  const cJSON* infos = member(answer.get(), "succ_info");
  EXPECT_EQ(4, cJSON_GetArraySize(infos));
  EXPECT_TRUE(cJSON_IsTrue(member(member(infos, "f.bin"), "exists")));
  EXPECT_EQ(5, number_of(member(infos, "f.bin"), "size"));
  EXPECT_FALSE(cJSON_IsTrue(member(member(infos, "sub"), "exists")));  // folders are not files
  EXPECT_EQ(nullptr, member(member(infos, "sub"), "size"));
  EXPECT_FALSE(cJSON_IsTrue(member(member(infos, "none"), "exists")));
  EXPECT_EQ(0, number_of(member(infos, "sub/g"), "size"));

  JsonPtr without_size = json("{'base_path':'" + escaped(dir.path()) + "'}");
  JsonPtr plain(do_vemo_file_batch_info(items.get(), without_size.get()));
  EXPECT_EQ(nullptr, member(member(member(plain.get(), "succ_info"), "f.bin"), "size"));
}

TEST(FileBatchMd5, DigestsByItemAndFailuresBeside) {
  TempDir dir("batch-md5");
  make_tree(dir.path(), {{"empty", ""}, {"d\\abc", "abc"}});
  JsonPtr items = json("['empty', 'd\\\\abc', 'missing']");
  JsonPtr base(cJSON_CreateString(dir.path().c_str()));
  JsonPtr answer(do_vemo_file_batch_md5(items.get(), base.get()));
  const cJSON* digests = member(answer.get(), "succ_data");
  EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", text_of(digests, "empty"));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", text_of(digests, "d\\abc"));
  EXPECT_EQ(kFileOpFileOpenFailed, number_of(member(member(answer.get(), "fail_data"), "missing"), "code"));
  EXPECT_FALSE(cJSON_IsTrue(member(answer.get(), "succ")));
  EXPECT_EQ(kFileOpFileOpenFailed, number_of(answer.get(), "code"));
  EXPECT_EQ("file open failed", text_of(answer.get(), "msg"));

  // Without a base the items are the paths.
  JsonPtr full = json("['" + escaped(dir.file("empty")) + "']");
  JsonPtr plain(do_vemo_file_batch_md5(full.get(), nullptr));
  EXPECT_TRUE(cJSON_IsTrue(member(plain.get(), "succ")));
  EXPECT_EQ(1, cJSON_GetArraySize(member(plain.get(), "succ_data")));
}

// The names of an object's members, in the order the answer prints them.
std::vector<std::string> member_names(const cJSON* object) {
  std::vector<std::string> names;
  const cJSON* item = nullptr;
  cJSON_ArrayForEach(item, object) names.push_back(item->string);
  return names;
}

TEST(FileBatchMd5, AnswersInTheListsOrderWhateverOrderTheFilesFinishIn) {
  TempDir dir("batch-md5-order");
  // A large file first, so that the small ones after it finish before it does.
  std::map<std::string, std::string> contents = {{"big", std::string(8 << 20, 'x')}};
  std::string list = "['big'";
  std::vector<std::string> digest_order = {"big"};
  for (int n = 0; n < 30; ++n) {
    std::string name = "small-" + std::to_string(n);
    contents[name] = "content " + std::to_string(n);
    list += ",'" + name + "'";
    digest_order.push_back(name);
    if (n == 3) list += ",'missing'";
  }
  list += ",'..\\\\outside']";
  for (const auto& [name, bytes] : contents) ASSERT_TRUE(vemo::test::write_file(dir.file(name), bytes));
  JsonPtr base(cJSON_CreateString(dir.path().c_str()));
  JsonPtr answer(do_vemo_file_batch_md5(json(list).get(), base.get()));

  const cJSON* digests = member(answer.get(), "succ_data");
  EXPECT_EQ(member_names(digests), digest_order);
  for (const auto& [name, bytes] : contents) {
    unsigned char digest[16];
    vemo_md5(bytes.data(), bytes.size(), digest);
    EXPECT_EQ(text_of(digests, name.c_str()), to_hex_string(digest, 16)) << name;
  }
  EXPECT_EQ(member_names(member(answer.get(), "fail_data")), (std::vector<std::string>{"missing", "..\\outside"}));
  // The last failure of the list gives the answer its code.
  EXPECT_EQ(kFileOpPathOutsideBase, number_of(answer.get(), "code"));
}

TEST(FileBatchRemoveRename, MissingPathsSucceedAndRenamesNeverReplace) {
  TempDir dir("batch-remove");
  make_tree(dir.path(), {{"tree\\x\\y", "1"}, {"f", "2"}, {"a", "A"}, {"b", "B"}, {"c", "C"}});
  JsonPtr options = json("{'base_path':'" + escaped(dir.path()) + "'}");
  JsonPtr removed(do_vemo_file_batch_remove(json("['tree', 'f', 'never-was', 'deep/never/was']").get(), options.get()));
  EXPECT_TRUE(cJSON_IsTrue(member(removed.get(), "succ"))) << cJSON_PrintUnformatted(removed.get());
  EXPECT_FALSE(exists(dir.file("tree")));
  EXPECT_FALSE(exists(dir.file("f")));

  JsonPtr both = json("{'src_base_path':'" + escaped(dir.path()) + "','dst_base_path':'" + escaped(dir.path()) + "'}");
  JsonPtr renamed(do_vemo_file_batch_rename(json("{'a':'b', 'c':'moved\\\\c'}").get(), both.get()));
  EXPECT_EQ(ERROR_ALREADY_EXISTS, number_of(member(member(renamed.get(), "result_ext"), "a"), "code"));
  EXPECT_EQ(1, cJSON_GetArraySize(member(renamed.get(), "result_ext")));
  EXPECT_EQ("B", content_of(dir.file("b")));
  EXPECT_EQ("C", content_of(dir.file("moved\\c")));
}

TEST(FileListDir, RecursiveListingOfAFileAndASubFolder) {
  TempDir dir("list");
  make_tree(dir.path(), {{"a", "1"}, {"sub\\b", "2"}});
  struct ListCase {
    std::string folder;
    bool recursive;
    std::map<std::string, bool> expected;  // path -> is_dir
  };
  const ListCase cases[] = {
      {dir.path(), true, {{"a", false}, {"sub", true}, {"sub\\b", false}}},
      {dir.path() + "\\", true, {{"a", false}, {"sub", true}, {"sub\\b", false}}},
      {dir.path(), false, {{"a", false}, {"sub", true}}},
  };
  for (const ListCase& c : cases) {
    JsonPtr options(cJSON_CreateObject());
    cJSON_AddStringToObject(options.get(), "dir_path", c.folder.c_str());
    cJSON_AddBoolToObject(options.get(), "is_recursive", c.recursive);
    JsonPtr answer(do_vemo_file_list_dir(nullptr, options.get()));
    EXPECT_EQ(nullptr, member(answer.get(), "succ"));
    std::map<std::string, bool> listed;
    std::string order;
    const cJSON* item = nullptr;
    cJSON_ArrayForEach(item, member(answer.get(), "data")) {
      listed[text_of(item, "path")] = cJSON_IsTrue(member(item, "is_dir"));
      order += text_of(item, "path") + ";";
    }
    EXPECT_EQ(c.expected, listed) << c.folder;
    if (c.recursive) {
      EXPECT_LT(order.find("sub;"), order.find("sub\\b;")) << order;
    }
  }
  for (std::string missing : {dir.file("none"), std::string()}) {
    JsonPtr options(cJSON_CreateObject());
    cJSON_AddStringToObject(options.get(), "dir_path", missing.c_str());
    JsonPtr answer(do_vemo_file_list_dir(nullptr, options.get()));
    EXPECT_EQ(kFileOpPathNotExists, number_of(answer.get(), "code")) << missing;
    EXPECT_EQ("path not exists", text_of(answer.get(), "msg"));
    EXPECT_EQ(nullptr, member(answer.get(), "data"));
  }
}

// Names in any script travel as UTF-8 and reach Windows as UTF-16.
TEST(FileBatchNames, NonAsciiNamesSurviveEveryOperation) {
  TempDir dir("batch-names");
  std::string folder = u8"données";
  std::string name = u8"文件.txt";
  std::string file = folder + "\\" + name;
  make_tree(dir.path(), {{file, "abc"}});
  JsonPtr pair(cJSON_CreateObject());
  cJSON_AddStringToObject(pair.get(), file.c_str(), (u8"ü\\" + file).c_str());
  JsonPtr options(cJSON_CreateObject());
  cJSON_AddStringToObject(options.get(), "src_base_path", dir.path().c_str());
  cJSON_AddStringToObject(options.get(), "dst_base_path", dir.path().c_str());
  JsonPtr copied(do_vemo_file_batch_copy(pair.get(), options.get()));
  EXPECT_TRUE(cJSON_IsTrue(member(copied.get(), "succ")));
  EXPECT_EQ("abc", content_of(dir.file(u8"ü\\" + file)));

  JsonPtr list(cJSON_CreateArray());
  cJSON_AddItemToArray(list.get(), cJSON_CreateString(file.c_str()));
  JsonPtr base(cJSON_CreateString(dir.path().c_str()));
  JsonPtr md5(do_vemo_file_batch_md5(list.get(), base.get()));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", text_of(member(md5.get(), "succ_data"), file.c_str()));

  JsonPtr listing_options(cJSON_CreateObject());
  cJSON_AddStringToObject(listing_options.get(), "dir_path", dir.file(folder).c_str());
  JsonPtr listing(do_vemo_file_list_dir(nullptr, listing_options.get()));
  EXPECT_EQ(name, text_of(cJSON_GetArrayItem(member(listing.get(), "data"), 0), "path"));
}

// Drains the task queue on a Lua state until n answers have come, by id.
std::map<int64_t, std::string> collect_answers(size_t n) {
  vemo::LuaStatePtr L(luaL_newstate());
  std::map<int64_t, std::string> answers;
  for (int waited = 0; answers.size() < n && waited < 60000;) {
    int count = LuaTaskQueue::getInstance()->tick(L.get());
    if (count == 4) {
      EXPECT_STREQ("ASYNC_CALL", lua_tostring(L.get(), -4));
      answers[lua_tointeger(L.get(), -3)] = lua_tostring(L.get(), -2);
    } else {
      Sleep(10);
      waited += 10;
    }
    lua_settop(L.get(), 0);
  }
  return answers;
}

TEST(FileBatchThreads, EveryStarterAnswersOnceUnderItsId) {
  TempDir dir("batch-threads");
  make_tree(dir.path(), {{"a", "A"}, {"b", "B"}, {"r", "R"}, {"sub\\c", "C"}});
  const int64_t base_id = 0x100000000LL;  // ids beyond 32 bits survive
  JsonPtr pair = json("{'a':'copy-of-a'}");
  JsonPtr list = json("['a', 'sub']");
  JsonPtr options = json("{'base_path':'" + escaped(dir.path()) + "','src_base_path':'" + escaped(dir.path()) +
                      "','dst_base_path':'" + escaped(dir.path()) + "','check_size':true}");
  vemo_file_batch_copy(pair.get(), options.get(), false, base_id + 1);
  vemo_file_batch_info(list.get(), options.get(), base_id + 2);
  vemo_file_batch_md5(json("['b']").get(), base_id + 3, dir.path().c_str());
  vemo_file_batch_rename(json("{'r':'renamed-r'}").get(), options.get(), base_id + 4);
  vemo_file_list_dir(dir.file("sub").c_str(), true, base_id + 5);
  vemo_file_batch_remove(json("['no-such-file']").get(), nullptr, base_id + 6);
  // The starters keep nothing of what they were given.
  pair.reset();
  options.reset();

  std::map<int64_t, std::string> answers = collect_answers(6);
  ASSERT_EQ(6u, answers.size());
  JsonPtr copied = parse(answers[base_id + 1]);
  EXPECT_TRUE(cJSON_IsTrue(member(copied.get(), "succ"))) << answers[base_id + 1];
  EXPECT_EQ(1, number_of(member(member(parse(answers[base_id + 2]).get(), "succ_info"), "a"), "size"));
  JsonPtr md5 = parse(answers[base_id + 3]);
  EXPECT_EQ("9d5ed678fe57bcca610140957afab571", text_of(member(md5.get(), "succ_data"), "b")) << answers[base_id + 3];
  EXPECT_TRUE(cJSON_IsTrue(member(parse(answers[base_id + 6]).get(), "succ")));
  EXPECT_EQ("{\"data\":[{\"path\":\"c\",\"is_dir\":false}]}", answers[base_id + 5]);
  EXPECT_EQ("A", content_of(dir.file("copy-of-a")));
  EXPECT_TRUE(cJSON_IsTrue(member(parse(answers[base_id + 4]).get(), "succ"))) << answers[base_id + 4];
  EXPECT_EQ("R", content_of(dir.file("renamed-r")));
}

TEST(FileBatchThreads, CopyStarterWritesTheOverrideFlag) {
  TempDir dir("batch-threads-flag");
  make_tree(dir.path(), {{"s", "new"}, {"d", "old"}});
  JsonPtr pair = json("{'" + escaped(dir.file("s")) + "':'" + escaped(dir.file("d")) + "'}");
  JsonPtr says_true = json("{'need_override': true}");
  vemo_file_batch_copy(pair.get(), says_true.get(), false, 77);  // the flag argument decides
  std::map<int64_t, std::string> answers = collect_answers(1);
  EXPECT_EQ(ERROR_FILE_EXISTS, number_of(parse(answers[77]).get(), "code")) << answers[77];
  EXPECT_EQ("old", content_of(dir.file("d")));
  vemo_file_batch_copy(pair.get(), nullptr, true, 78);
  answers = collect_answers(1);
  EXPECT_TRUE(cJSON_IsTrue(member(parse(answers[78]).get(), "succ"))) << answers[78];
  EXPECT_EQ("new", content_of(dir.file("d")));
}

}  // namespace
