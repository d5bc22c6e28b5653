#include "core/sdk_paths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "core/text_convert.h"

// The exports, as a host calls them.
extern "C" {
void vemosdk_set_res_path(const char* path);
void vemosdk_set_sdkconfig_path(const char* path);
void vemosdk_set_vendors_path(const char* path);
void vemosdk_set_webview_path(const char* path);
}

namespace {

std::string current_dir() {
  wchar_t buffer[2048];
  DWORD n = GetCurrentDirectoryW(2048, buffer);
  return wstring_to_utf8(std::wstring(buffer, n));
}

// One test: the stored paths live for the whole process.
TEST(SdkPaths, StoredAbsoluteAndKeptForTheProcess) {
  EXPECT_EQ(vemosdk_get_sdkconfig_path(), "");
  EXPECT_EQ(vemosdk_get_vendors_path(), "");
  EXPECT_EQ(vemosdk_get_webview_path(), L"");
  EXPECT_EQ(vemosdk_get_resources_path(), get_program_dir());  // then stays so

  vemosdk_set_res_path("res/../assets");
  vemosdk_set_sdkconfig_path("conf\\sdkconfig.json");
  vemosdk_set_vendors_path("vendors");
  EXPECT_EQ(vemosdk_get_resources_path(), current_dir() + "\\assets");
  EXPECT_EQ(vemosdk_get_sdkconfig_path(), current_dir() + "\\conf\\sdkconfig.json");
  // The vendors folder belongs to the program, wherever it was started from.
  EXPECT_EQ(vemosdk_get_vendors_path(), get_program_dir() + "vendors");
  vemosdk_set_vendors_path("plugins\\..\\vendors");
  EXPECT_EQ(vemosdk_get_vendors_path(), get_program_dir() + "vendors");

  std::string long_webview = "C:\\" + std::string(300, 'w');
  vemosdk_set_webview_path(long_webview.c_str());
  EXPECT_EQ(vemosdk_get_webview_path(), L"\\\\?\\" + utf8_to_wstring(long_webview));
  vemosdk_set_webview_path("C:\\short");
  EXPECT_EQ(vemosdk_get_webview_path(), L"C:\\short");

  // Too long or null: refused, the previous value stays.
  std::string too_long = "C:\\" + std::string(2100, 'x');
  vemosdk_set_vendors_path(too_long.c_str());
  vemosdk_set_vendors_path(nullptr);
  EXPECT_EQ(vemosdk_get_vendors_path(), get_program_dir() + "vendors");
  EXPECT_FALSE(VemoSDK::setResourcePath(too_long.c_str()));
  EXPECT_EQ(vemosdk_get_resources_path(), current_dir() + "\\assets");
}

}  // namespace
