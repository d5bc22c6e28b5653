#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <string>

#include "child_process.h"
#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "core/sdkconfig.h"
#include "test_support.h"

namespace {

using vemo::test::read_file;
using vemo::test::run_program;
using vemo::test::TempDir;
using vemo::test::write_file;

std::string tool() { return get_program_dir() + "..\\..\\bin\\sdkconfig_tool.exe"; }

std::string fixture(const std::string& name) {
  std::string text;
  EXPECT_TRUE(read_file(std::string(VEMO_CORE_FIXTURES) + "\\" + name, text)) << name;
  return text;
}

TEST(SdkconfigTool, EnciphersAConfigThatTheSdkReadsAndDeciphersItBack) {
  TempDir dir("sdkconfig-tool");
  std::string plain = fixture("sdkconfig.json");
  ASSERT_TRUE(write_file(dir.file("plain.json"), plain));
  auto encrypted = run_program(tool(), "encrypt \"" + dir.file("plain.json") + "\" \"" + dir.file("program\\sdkconfig.json") + "\"");
  ASSERT_EQ(encrypted.exit_code, 0);

  std::string enciphered;
  ASSERT_TRUE(read_file(dir.file("program\\sdkconfig.json"), enciphered));
  EXPECT_EQ(enciphered.find("demo-game"), std::string::npos);
  VemoSDKContextPtr context = build_sdk_context(dir.file("program\\"), "", "1.0.9", nullptr);
  EXPECT_EQ(context->game_id, "demo-game");
  EXPECT_EQ(context->package_name, "com.studio.demo");
  ASSERT_NE(sdk_meta_of(context->config.get(), "AGORA"), nullptr);
  EXPECT_STREQ(cJSON_GetObjectItem(sdk_meta_of(context->config.get(), "AGORA"), "app_key")->valuestring, u8"\u4e2d");

  auto decrypted = run_program(tool(), "decrypt \"" + dir.file("program\\sdkconfig.json") + "\" \"" + dir.file("back.json") + "\"");
  ASSERT_EQ(decrypted.exit_code, 0);
  std::string back;
  ASSERT_TRUE(read_file(dir.file("back.json"), back));
  EXPECT_EQ(back, plain);  // byte for byte, CR LF included
}

TEST(SdkconfigTool, RefusesWhatItCannotHandle) {
  TempDir dir("sdkconfig-tool-bad");
  ASSERT_TRUE(write_file(dir.file("broken.json"), "{\"game_id\": "));
  ASSERT_TRUE(write_file(dir.file("plain.json"), "{\"game_id\": \"x\"}"));
  const std::pair<std::string, int> cases[] = {
      {"", 1},
      {"encrypt only-one-argument", 1},
      {"shuffle \"" + dir.file("plain.json") + "\" \"" + dir.file("o") + "\"", 1},
      {"encrypt \"" + dir.file("missing.json") + "\" \"" + dir.file("o") + "\"", 2},
      {"encrypt \"" + dir.file("broken.json") + "\" \"" + dir.file("o") + "\"", 2},
      {"encrypt \"" + dir.file("plain.json") + "\" \"" + dir.file("o") + "\" 9", 1},
      {"encrypt \"" + dir.file("plain.json") + "\" \"" + dir.file("o") + "\" x", 1},
      {"decrypt \"" + dir.file("plain.json") + "\" \"" + dir.file("o") + "\"", 2},
  };
  for (const auto& [arguments, code] : cases) EXPECT_EQ(run_program(tool(), arguments).exit_code, code) << arguments;
  EXPECT_FALSE(file_exists(dir.file("o")));
}

}  // namespace
