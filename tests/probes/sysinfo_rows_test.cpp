// The _vemosdk functions over the probes and the key store, as scripts call them.
#include "vemosdk_fixture.h"

#include <regex>

#include "core/keystore/keystore.h"
#include "core/sdk_context.h"
#include "crash/probes/machine_identity.h"
#include "test_support.h"

namespace {

class SysinfoRows : public vemo::test::VemosdkModule {
protected:
  void SetUp() override {
    VemosdkModule::SetUp();
    // The store of this program lives in a folder of its own.
    vemosdk_set_context(build_sdk_context(program.path() + "\\", "", "1.0.9", nullptr));
  }
  static vemo::test::TempDir program;
};
vemo::test::TempDir SysinfoRows::program("sysinfo_rows");

TEST_F(SysinfoRows, SystemInformationRows) {
  const std::pair<const char*, const char*> cases[] = {
      {"return math.type(_vemosdk.sysinfo().pc_process_id)", "integer"},
      {"local s = _vemosdk.sysinfo() return s.mac, s.security_token, s.mw", "[0-9A-F:]{17},nil,nil"},
      {"return _vemosdk.sysinfo().device_id == _vemosdk.sysinfo_idfa()", "true"},
      {"return _vemosdk.sysinfo_idfa()", "[0-9a-f]{32}"},
      {"return _vemosdk.sysinfo_os_version()", "Windows-\\d+\\.\\d+\\.\\d+"},
      {"return _vemosdk.sysinfo_time_zone()", "GMT[+-]\\d\\d:\\d\\d"},
      {"return _vemosdk.sysinfo_memory_size().Total > 0", "true"},
      {"return _vemosdk.sysinfo_disk_size() > 0, math.type(_vemosdk.sysinfo_disk_size())", "true,float"},
      {"return _vemosdk.sysinfo_update_time() > 1.5e12, _vemosdk.sysinfo_install_time() % 1000", "true,0.0"},
      {"return type(_vemosdk.sysinfo_country()), type(_vemosdk.sysinfo_language())", "string,string"},
      {"local ip = _vemosdk.sysinfo_ip_addr() return ip == nil or ip ~= '0.0.0.0'", "true"},
      {"return _vemosdk.sysinfo_app_version_name()", "nil"},
  };
  for (const auto& [chunk, pattern] : cases) {
    std::string got = run(chunk);
    EXPECT_TRUE(std::regex_match(got, std::regex(pattern))) << chunk << " gave " << got;
  }
  EXPECT_EQ(std::to_string(GetCurrentProcessId()), run("return _vemosdk.sysinfo().pc_process_id"));
}

TEST_F(SysinfoRows, KeyStoreRows) {
  EXPECT_EQ("", run("_vemosdk.keystore_set('Token', 'abc')"));
  EXPECT_EQ("abc", run("return _vemosdk.keystore_get('token')"));
  EXPECT_EQ("0", run("return select('#', _vemosdk.keystore_get('missing'))"));
  EXPECT_EQ("true", run("return _vemosdk.keystore_get('vm_win_ut') == _vemosdk.sysinfo_idfa()"));
  EXPECT_NE(std::string::npos, run("_vemosdk.keystore_set('big', ('x'):rep(70000))").find("would pass 65536 bytes"));
  EXPECT_EQ("abc", run("return _vemosdk.keystore_get('token')"));
  EXPECT_EQ("0", run("_vemosdk.keystore_delete('TOKEN') return select('#', _vemosdk.keystore_get('token'))"));
  EXPECT_NE(std::string::npos, run("_vemosdk.keystore_set('k')").find("bad argument #2 to 'keystore_set'"));
  EXPECT_EQ("0", run("_vemosdk.keystore_set('a', 'b') _vemosdk.keystore_clear() "
                     "return select('#', _vemosdk.keystore_get('a'))"));
  // The stored device id wins over the probes from then on.
  EXPECT_EQ("stored-id", run("_vemosdk.keystore_set('vm_win_ut', 'stored-id') return _vemosdk.sysinfo_idfa()"));
  run("_vemosdk.keystore_clear()");
}

TEST_F(SysinfoRows, CustomSubFolderTakesOnlyAPlainRelativeName) {
  std::string before = vemosdk_get_context()->program_private_dir;
  for (const char* refused : {"{\"sub_dir\":\"..\\\\outside\"}", "{\"sub_dir\":\"C:\\\\x\"}", "{\"sub_dir\":5}", "{"}) {
    EXPECT_EQ("", run(std::string("_vemosdk.keystore_custom_sub_dir(") + quoted(refused) + ")")) << refused;
    EXPECT_EQ(before, vemosdk_get_context()->program_private_dir) << refused;
  }
  EXPECT_EQ("", run("_vemosdk.keystore_custom_sub_dir('{\"sub_dir\":\"custom\",\"rm_sub_dir_on_start\":true}')"));
  EXPECT_EQ(program.file("custom"), vemosdk_get_context()->program_private_dir);
  run("_vemosdk.keystore_set('moved', 'yes')");
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(program.file("custom\\config.dat").c_str()));
  run("_vemosdk.keystore_clear()");
}

}  // namespace
