// The shape of the _vemosdk table: every function under its name, the two
// sub-tables, and that no function anywhere in it fails with "not available".
#include "module_walk.h"
#include "vemosdk_fixture.h"

#include <set>
#include <string>

namespace {

using VemosdkTable = vemo::test::VemosdkModule;

const char* const kFunctionNames[] = {
    "lread", "log", "open_log", "register_cb", "get_register_cb", "tick", "utf8_to_acp", "acp_to_utf8",
    "get_lua_res_location", "http_get", "http_get_file", "submit_download_list", "update_download_priority",
    "http_stop_file", "http_post", "http_add_cert_pin", "http_add_cert", "http_set_verbose",
    "http_enable_revocation_check", "http_disable_revocation_check", "http_update_download_config", "modal_open",
    "modal_close", "toast_open", "loading_show", "loading_hide", "sysinfo", "sysinfo_idfa", "sysinfo_os_version",
    "sysinfo_open_url", "sysinfo_memory_size", "sysinfo_memory_info", "sysinfo_country", "sysinfo_language",
    "sysinfo_disk_size", "sysinfo_screen_width", "sysinfo_screen_height", "sysinfo_window_size",
    "sysinfo_install_time", "sysinfo_update_time", "sysinfo_ip_addr", "sysinfo_app_version_name",
    "get_support_functions", "sysinfo_cpu_usage", "sysinfo_memory", "sysinfo_launch_time", "sysinfo_time_zone",
    "network_current_state", "is_passive_mode", "get_screen_refresh_rate", "timer_once", "writefile", "deletefile",
    "listdir", "list_dir_ex", "make_dirs", "saveasfile", "renamefile", "batch_rename", "removefile", "batch_remove",
    "is_file_exists", "file_length", "copy_file", "batch_copy", "batch_md5", "readfile_offset_length",
    "is_directory", "batch_info", "restart_self", "launch_process_kill_self", "exit", "launch_process",
    "is_process_running", "kill_process", "window_minimize", "read_reg_key", "save_reg_key", "remove_reg_key",
    "keystore_get", "keystore_set", "keystore_delete", "keystore_clear", "keystore_custom_sub_dir", "webview_open",
    "webview_close", "webview_is_opened", "webview_callback_js", "webview_call_js", "webview_operator",
    "is_build_in_webview_available", "webview_load_url", "media_start_record", "media_stop_record",
    "media_start_play", "media_stop_play", "media_delete", "os", "abi", "bin_version", "system_clock", "system_ms",
    "copy_clipboard", "vendor_cast", "vendor_sync_call", "vendor_async_call", "qrcode_gen_bmp",
    "sdkinfo_get_version_name", "sdkinfo", "error_report", "get_sdk_infos", "decrypt_sdkconfig",
    "get_sdkconfig_path", "get_resources_path", "get_paths", "get_cpu_info_async", "get_gpu_info_async",
    "get_computer_info_async", "get_disk_info_async", "get_command_line", "switch_to_game", "FLOATER",
    "vemosdk_patch_dir", "vemosdk_patch_files", "log2", "scroll_log_file", "flush_log", "get_log_file_infos",
    "get_current_log_file", "open_log_with_config", "add_local_notification", "remove_local_notification",
    "listen_local_notification", "check_can_local_notification", "init_jf_file_cache", "switch_jf_sub_dir",
    "jf_log", "get_current_jf_file_info", "get_jf_file_infos", "flush_jf_log", "scroll_jf_log_file",
};

TEST_F(VemosdkTable, HoldsEveryFunctionAndTheTwoSubTables) {
  static_assert(sizeof(kFunctionNames) / sizeof(kFunctionNames[0]) == 141, "141 names");
  std::set<std::string> names(std::begin(kFunctionNames), std::end(kFunctionNames));
  EXPECT_EQ(141u, names.size()) << "a name is listed twice";
  for (const char* name : kFunctionNames) {
    EXPECT_EQ("function", run(std::string("return type(_vemosdk.") + name + ")")) << name;
  }
  EXPECT_EQ("143", run("local n = 0 for _ in pairs(_vemosdk) do n = n + 1 end return n"));
  EXPECT_EQ("table,table", run("return type(rawget(_vemosdk, 'sensitive_words')), type(rawget(_vemosdk, 'fst'))"));
}

TEST_F(VemosdkTable, NoFunctionIsNotAvailable) {
  // Not called: they end, restart or hide the process.
  const char* skipped = "_vemosdk.exit _vemosdk.restart_self _vemosdk.launch_process_kill_self _vemosdk.window_minimize";
  EXPECT_EQ("", vemo::test::functions_not_available(L.get(), "_vemosdk", skipped));
}

}  // namespace
