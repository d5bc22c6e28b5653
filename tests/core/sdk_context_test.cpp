#include "core/sdk_context.h"

#include <gtest/gtest.h>

#include <lua.hpp>

#include <cstdlib>
#include <string>

#include "core/base64.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/sdk_keys.h"
#include "core/sdkconfig.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

using vemo::test::TempDir;
using vemo::test::write_file;

const char kCrlfConfig[] =
    "{\r\n  \"game_id\": \"g-7\",\r\n  \"package_name\": \"com.example.game\",\r\n  \"sdks\": []\r\n}\r\n";

// A text in the enciphered layout under any key index and payload.
std::string enciphered_with(int key_index, const std::string& payload) {
  std::string bytes = kSdkConfigHeader;
  bytes += static_cast<char>(key_index);
  bytes += payload;
  return base64_encode(bytes.data(), bytes.size());
}

struct ConfigCase {
  const char* name;
  bool has_file;
  std::string content;
  bool has_config;
  std::string game_id;
  std::string package_name;
};

TEST(SdkContext, ReadsEveryFormOfSdkconfig) {
  const ConfigCase cases[] = {
      {"no file", false, "", false, "", ""},
      {"numeric game_id", true, R"({"game_id":5,"package_name":"p"})", true, "", ""},
      {"CRLF JSON", true, kCrlfConfig, true, "g-7", "com.example.game"},
      {"byte order mark", true, "\xEF\xBB\xBF{\"game_id\":\"bom\"}", true, "bom", ""},
      {"package_name not a string", true, R"({"game_id":"x","package_name":3})", true, "x", ""},
      {"enciphered, key 1", true, encrypt_sdkconfig(kCrlfConfig, 1) + "\r\n", true, "g-7", "com.example.game"},
      {"enciphered, key 3", true, encrypt_sdkconfig(R"({"game_id":"k3"})", 3), true, "k3", ""},
      {"unknown key index", true, enciphered_with(9, "{\"game_id\":\"x\"}"), false, "", ""},
      {"key index 0", true, enciphered_with(0, "{\"game_id\":\"x\"}"), false, "", ""},
      {"deciphers to no JSON", true, enciphered_with(1, "garbage bytes"), false, "", ""},
      {"header only", true, enciphered_with(1, ""), false, "", ""},
      {"broken JSON", true, "{\"game_id\": ", false, "", ""},
  };
  for (const auto& c : cases) {
    TempDir dir("context-read");
    if (c.has_file) {
      ASSERT_TRUE(write_file(dir.file("sdkconfig.json"), c.content)) << c.name;
    }
    VemoSDKContextPtr context = build_sdk_context(dir.path() + "\\", "", "1.0.9", nullptr);
    ASSERT_TRUE(context) << c.name;
    EXPECT_EQ(context->config != nullptr, c.has_config) << c.name;
    EXPECT_EQ(context->game_id, c.game_id) << c.name;
    EXPECT_EQ(context->package_name, c.package_name) << c.name;
    EXPECT_EQ(context->program_dir, dir.path() + "\\") << c.name;
    EXPECT_EQ(context->program_data_dir, dir.path() + "\\") << c.name;
    EXPECT_EQ(context->program_private_dir, dir.path() + "\\vemo") << c.name;
    EXPECT_TRUE(file_exists(dir.file("vemo"))) << c.name;
    EXPECT_EQ(context->app_version, "1.0.9");
    EXPECT_EQ(context->init_args, "");
  }
}

TEST(SdkContext, AGivenSdkconfigPathWinsOverTheProgramFolder) {
  TempDir dir("context-path");
  ASSERT_TRUE(write_file(dir.file("sdkconfig.json"), R"({"game_id":"beside"})"));
  ASSERT_TRUE(write_file(dir.file("elsewhere.json"), R"({"game_id":"given"})"));
  VemoSDKContextPtr context = build_sdk_context(dir.path() + "\\", dir.file("elsewhere.json"), "v", "args");
  EXPECT_EQ(context->game_id, "given");
  EXPECT_EQ(context->init_args, "args");
}

TEST(Sdkconfig, DecipherGivesTheJsonTextOnlyForAKnownKey) {
  const std::string json = R"({"game_id":"x","n":[1,2]})";
  vemo::MallocPtr<char> plain(vemosdk_decrypt_sdkconfig(encrypt_sdkconfig(json, 1).c_str()));
  ASSERT_TRUE(plain);
  EXPECT_EQ(std::string(plain.get()), json);
  EXPECT_EQ(vemosdk_decrypt_sdkconfig(json.c_str()), nullptr);  // plain JSON is not enciphered
  EXPECT_EQ(vemosdk_decrypt_sdkconfig(enciphered_with(4, json).c_str()), nullptr);
  EXPECT_EQ(vemosdk_decrypt_sdkconfig(""), nullptr);
  EXPECT_EQ(vemosdk_decrypt_sdkconfig(nullptr), nullptr);
  EXPECT_EQ(encrypt_sdkconfig(json, 4), "");
  EXPECT_NE(encrypt_sdkconfig(json, 1), encrypt_sdkconfig(json, 2));
}

TEST(SdkKeys, TheTableHoldsThreeKeysOfTheirLengths) {
  const std::pair<int, size_t> lengths[] = {{1, 107}, {2, 105}, {3, 109}};
  for (const auto& [index, expected] : lengths) {
    size_t length = 0;
    const char* key = sdk_key(index, &length);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(length, expected);
    for (size_t i = 0; i < length; ++i) EXPECT_TRUE(key[i] >= 0x20 && key[i] < 0x7f) << index;
  }
  size_t length = 99;
  EXPECT_EQ(sdk_key(0, &length), nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(sdk_key(4, nullptr), nullptr);
  EXPECT_EQ(vemosdk_crypt_with_key_index(-1, "abc", 3), nullptr);

  // The stream cipher undoes itself under the same key.
  vemo::MallocPtr<unsigned char> once(vemosdk_crypt_with_key_index(2, "key store", 9));
  vemo::MallocPtr<unsigned char> twice(vemosdk_crypt_with_key_index(2, once.get(), 9));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(twice.get()), 9), "key store");
}

vemo::JsonPtr parse(const char* text) { return vemo::JsonPtr(cJSON_Parse(text)); }

TEST(SdkInfos, KeyedByNameInOrderWithDuplicatesKept) {
  vemo::JsonPtr config = parse(R"({"sdks":[{"name":"STEAM","meta":{"id":1}},{"name":"STEAM","meta":{"id":2}},
               {"meta":{}}, 5, {"name":7}, {"name":"EPIC","meta":"not an object"}]})");
  vemo::JsonPtr owned_infos(sdk_infos_of(config.get()));
  const cJSON* infos = owned_infos.get();
  ASSERT_NE(infos, nullptr);
  EXPECT_EQ(cJSON_GetArraySize(infos), 3);
  EXPECT_STREQ(infos->child->string, "STEAM");
  EXPECT_STREQ(infos->child->next->string, "STEAM");
  EXPECT_STREQ(infos->child->next->next->string, "EPIC");
  owned_infos.reset();  // references only: the configuration keeps its entries
  EXPECT_EQ(cJSON_GetArraySize(cJSON_GetObjectItem(config.get(), "sdks")), 6);

  const cJSON* meta = sdk_meta_of(config.get(), "STEAM");
  ASSERT_NE(meta, nullptr);
  EXPECT_EQ(cJSON_GetObjectItem(meta, "id")->valueint, 1);
  EXPECT_EQ(sdk_meta_of(config.get(), "EPIC"), nullptr);
  EXPECT_EQ(sdk_meta_of(config.get(), "steam"), nullptr);
  EXPECT_EQ(sdk_meta_of(config.get(), nullptr), nullptr);
  EXPECT_EQ(sdk_meta_of(nullptr, "STEAM"), nullptr);

  vemo::JsonPtr no_list = parse(R"({"sdks":{}})");
  vemo::JsonPtr empty(sdk_infos_of(no_list.get()));
  EXPECT_TRUE(cJSON_IsObject(empty.get()));
  EXPECT_EQ(cJSON_GetArraySize(empty.get()), 0);
}

TEST(SdkContext, ASnapshotOutlivesItsReplacement) {
  TempDir dir("context-snapshot");
  ASSERT_TRUE(write_file(dir.file("sdkconfig.json"), R"({"game_id":"first","sdks":[{"name":"A","meta":{}}]})"));
  vemosdk_set_context(build_sdk_context(dir.path() + "\\", "", "1", nullptr));
  VemoSDKContextPtr held = vemosdk_get_context();
  vemosdk_set_context(build_sdk_context(dir.path() + "\\", "", "2", nullptr));
  EXPECT_EQ(held->app_version, "1");
  EXPECT_NE(sdk_meta_of(held->config.get(), "A"), nullptr);
  EXPECT_EQ(vemosdk_get_context()->app_version, "2");
  vemosdk_set_context(nullptr);
}

TEST(SdkContext, PathsAndLuaInfoComeFromTheLiveContext) {
  TempDir dir("context-info");
  vemosdk_set_context(build_sdk_context(dir.path() + "\\", "", "1.0.9", "--flag"));
  vemo::JsonPtr owned_paths = parse(vemosdk_get_paths().c_str());
  const cJSON* paths = owned_paths.get();
  ASSERT_NE(paths, nullptr);
  EXPECT_EQ(std::string(cJSON_GetObjectItem(paths, "program_dir")->valuestring), dir.path() + "\\");
  EXPECT_EQ(std::string(cJSON_GetObjectItem(paths, "program_private_dir")->valuestring), dir.path() + "\\vemo");
  EXPECT_TRUE(cJSON_IsString(cJSON_GetObjectItem(paths, "program_data_dir")));
  EXPECT_FALSE(std::string(cJSON_GetObjectItem(paths, "program_current_dir")->valuestring).empty());

  vemo::LuaStatePtr state(luaL_newstate());
  lua_State* L = state.get();
  EXPECT_EQ(vemosdk_push_sdk_info(L), 1);
  const std::pair<const char*, std::string> fields[] = {
      {"program_dir", dir.path() + "\\"}, {"program_data_dir", dir.path() + "\\"},
      {"program_private_dir", dir.path() + "\\vemo"}, {"app_version", "1.0.9"}, {"init_args", "--flag"},
  };
  for (const auto& [key, value] : fields) {
    lua_getfield(L, -1, key);
    EXPECT_EQ(lua_type(L, -1), LUA_TSTRING) << key;
    EXPECT_EQ(std::string(lua_tostring(L, -1)), value) << key;
    lua_pop(L, 1);
  }
  state.reset();
  vemosdk_set_context(nullptr);
}

}  // namespace
