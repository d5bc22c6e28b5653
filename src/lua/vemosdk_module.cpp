#include "lua/vemosdk_module.h"

#include "core/lua_guard.h"
#include "core/sdk_context.h"
#include "lua/fst/fst_module.h"
#include "lua/qrcode/qrcode_function.h"
#include "lua/sensitive_words/sensitive_words_module.h"
#include "lua/vemosdk_batch_functions.h"
#include "lua/vemosdk_core_functions.h"
#include "lua/vemosdk_crash_functions.h"
#include "lua/vemosdk_file_functions.h"
#include "lua/vemosdk_hardware_functions.h"
#include "lua/vemosdk_http_functions.h"
#include "lua/vemosdk_keystore_functions.h"
#include "lua/vemosdk_log_functions.h"
#include "lua/vemosdk_lread.h"
#include "lua/vemosdk_media_functions.h"
#include "lua/vemosdk_notify_functions.h"
#include "lua/vemosdk_popup_functions.h"
#include "lua/vemosdk_probe_functions.h"
#include "lua/vemosdk_process_functions.h"
#include "lua/vemosdk_system_functions.h"
#include "lua/vemosdk_vendor_functions.h"
#include "lua/vemosdk_webview_functions.h"

#include <lua.hpp>

#include <cstring>

namespace {

using namespace VemoSDK;

// Every function of the module, in table order.
const luaL_Reg kVemosdkFunctions[] = {
    // core
    {"lread", LuaFiles::lread},
    {"log", LuaCore::log},
    {"open_log", LuaCore::openLog},
    {"register_cb", LuaCore::registerCallback},
    {"get_register_cb", LuaCore::getRegisteredCallback},
    {"tick", LuaCore::tick},
    {"utf8_to_acp", LuaCore::utf8ToAcp},
    {"acp_to_utf8", LuaCore::acpToUtf8},
    {"get_lua_res_location", LuaCore::getLuaResLocation},
    // downloads and HTTP
    {"http_get", LuaHttp::httpGet},
    {"http_get_file", LuaHttp::httpGetFile},
    {"submit_download_list", LuaHttp::submitDownloadList},
    {"update_download_priority", LuaHttp::updateDownloadPriority},
    {"http_stop_file", LuaHttp::httpStopFile},
    {"http_post", LuaHttp::httpPost},
    {"http_add_cert_pin", LuaHttp::httpAddCertPin},
    {"http_add_cert", LuaHttp::httpAddCert},
    {"http_set_verbose", LuaHttp::httpSetVerbose},
    {"http_enable_revocation_check", LuaHttp::httpEnableRevocationCheck},
    {"http_disable_revocation_check", LuaHttp::httpDisableRevocationCheck},
    {"http_update_download_config", LuaHttp::httpUpdateDownloadConfig},
    // pop-ups
    {"modal_open", LuaPopups::modalOpen},
    {"modal_close", LuaPopups::modalClose},
    {"toast_open", LuaPopups::toastOpen},
    {"loading_show", LuaPopups::loadingShow},
    {"loading_hide", LuaPopups::loadingHide},
    // system information
    {"sysinfo", LuaProbes::sysinfo},
    {"sysinfo_idfa", LuaProbes::sysinfoIdfa},
    {"sysinfo_os_version", LuaProbes::osVersion},
    {"sysinfo_open_url", LuaWebView::sysinfoOpenUrl},
    {"sysinfo_memory_size", LuaProbes::memorySize},
    {"sysinfo_memory_info", LuaSystem::memoryInfo},
    {"sysinfo_country", LuaProbes::country},
    {"sysinfo_language", LuaProbes::language},
    {"sysinfo_disk_size", LuaProbes::diskSize},
    {"sysinfo_screen_width", LuaSystem::screenWidth},
    {"sysinfo_screen_height", LuaSystem::screenHeight},
    {"sysinfo_window_size", LuaSystem::windowSize},
    {"sysinfo_install_time", LuaProbes::installTime},
    {"sysinfo_update_time", LuaProbes::updateTime},
    {"sysinfo_ip_addr", LuaProbes::ipAddr},
    {"sysinfo_app_version_name", LuaProbes::appVersionName},
    {"get_support_functions", LuaCore::getSupportFunctions},
    {"sysinfo_cpu_usage", LuaHardware::cpuUsage},
    {"sysinfo_memory", LuaHardware::memory},
    {"sysinfo_launch_time", LuaHardware::launchTime},
    {"sysinfo_time_zone", LuaProbes::timeZone},
    {"network_current_state", LuaHardware::networkCurrentState},
    {"is_passive_mode", LuaCore::isPassiveMode},
    {"get_screen_refresh_rate", LuaHardware::screenRefreshRate},
    {"timer_once", LuaCore::timerOnce},
    // files
    {"writefile", LuaFiles::writefile},
    {"deletefile", LuaFiles::deletefile},
    {"listdir", LuaFiles::listdir},
    {"list_dir_ex", LuaBatch::listDirEx},
    {"make_dirs", LuaFiles::makeDirs},
    {"saveasfile", LuaFiles::saveAsFile},
    {"renamefile", LuaFiles::renameFile},
    {"batch_rename", LuaBatch::batchRename},
    {"removefile", LuaFiles::removeFile},
    {"batch_remove", LuaBatch::batchRemove},
    {"is_file_exists", LuaFiles::isFileExists},
    {"file_length", LuaFiles::fileLength},
    {"copy_file", LuaFiles::copyFile},
    {"batch_copy", LuaBatch::batchCopy},
    {"batch_md5", LuaBatch::batchMd5},
    {"readfile_offset_length", LuaFiles::readFileOffsetLength},
    {"is_directory", LuaFiles::isDirectory},
    {"batch_info", LuaBatch::batchInfo},
    // processes, window and registry
    {"restart_self", LuaProcess::restartSelf},
    {"launch_process_kill_self", LuaProcess::launchProcessKillSelf},
    {"exit", LuaProcess::exitSelf},
    {"launch_process", LuaProcess::launchProcess},
    {"is_process_running", LuaProcess::isProcessRunning},
    {"kill_process", LuaProcess::killProcess},
    {"window_minimize", LuaSystem::windowMinimize},
    {"read_reg_key", LuaSystem::readRegKey},
    {"save_reg_key", LuaSystem::saveRegKey},
    {"remove_reg_key", LuaSystem::removeRegKey},
    // key store
    {"keystore_get", LuaKeyStore::get},
    {"keystore_set", LuaKeyStore::set},
    {"keystore_delete", LuaKeyStore::remove},
    {"keystore_clear", LuaKeyStore::clear},
    {"keystore_custom_sub_dir", LuaKeyStore::customSubDir},
    // web views
    {"webview_open", LuaWebView::webviewOpen},
    {"webview_close", LuaWebView::webviewClose},
    {"webview_is_opened", LuaWebView::webviewIsOpened},
    {"webview_callback_js", LuaWebView::webviewCallbackJs},
    {"webview_call_js", LuaWebView::webviewCallJs},
    {"webview_operator", LuaWebView::webviewOperator},
    {"is_build_in_webview_available", LuaWebView::isBuildInWebviewAvailable},
    {"webview_load_url", LuaWebView::webviewLoadUrl},
    // voice media
    {"media_start_record", LuaMedia::startRecord},
    {"media_stop_record", LuaMedia::stopRecord},
    {"media_start_play", LuaMedia::startPlay},
    {"media_stop_play", LuaMedia::stopPlay},
    {"media_delete", LuaMedia::deleteRecords},
    // core
    {"os", LuaCore::os},
    {"abi", LuaCore::abi},
    {"bin_version", LuaCore::binVersion},
    {"system_clock", LuaCore::systemClock},
    {"system_ms", LuaCore::systemMs},
    {"copy_clipboard", LuaCore::copyClipboard},
    // vendors and QR bitmaps
    {"vendor_cast", LuaVendor::vendorCast},
    {"vendor_sync_call", LuaVendor::vendorSyncCall},
    {"vendor_async_call", LuaVendor::vendorAsyncCall},
    {"qrcode_gen_bmp", LuaQrcode::qrcodeGenBmp},
    // SDK information
    {"sdkinfo_get_version_name", LuaCore::sdkinfoGetVersionName},
    {"sdkinfo", vemosdk_push_sdk_info},
    {"error_report", LuaCrash::errorReport},
    {"get_sdk_infos", LuaCore::getSdkInfos},
    {"decrypt_sdkconfig", LuaCore::decryptSdkconfig},
    {"get_sdkconfig_path", LuaCore::getSdkconfigPath},
    {"get_resources_path", LuaCore::getResourcesPath},
    {"get_paths", LuaCore::getPaths},
    // hardware information and the game
    {"get_cpu_info_async", LuaHardware::cpuInfo},
    {"get_gpu_info_async", LuaHardware::gpuInfo},
    {"get_computer_info_async", LuaHardware::computerInfo},
    {"get_disk_info_async", LuaHardware::diskInfo},
    {"get_command_line", LuaCore::getCommandLine},
    {"switch_to_game", LuaSystem::switchToGame},
    {"FLOATER", LuaWebView::floater},
    // patches
    {"vemosdk_patch_dir", LuaHttp::patchDir},
    {"vemosdk_patch_files", LuaHttp::patchFiles},
    // logs
    {"log2", LuaLogs::log2},
    {"scroll_log_file", LuaLogs::scrollLogFile},
    {"flush_log", LuaLogs::flushLog},
    {"get_log_file_infos", LuaLogs::getLogFileInfos},
    {"get_current_log_file", LuaLogs::getCurrentLogFile},
    {"open_log_with_config", LuaLogs::openLogWithConfig},
    // notifications
    {"add_local_notification", LuaNotify::addLocalNotification},
    {"remove_local_notification", LuaNotify::removeLocalNotification},
    {"listen_local_notification", LuaNotify::listenLocalNotification},
    {"check_can_local_notification", LuaNotify::checkCanLocalNotification},
    // jf logs
    {"init_jf_file_cache", LuaLogs::initJfFileCache},
    {"switch_jf_sub_dir", LuaLogs::switchJfSubDir},
    {"jf_log", LuaLogs::jfLog},
    {"get_current_jf_file_info", LuaLogs::getCurrentJfFileInfo},
    {"get_jf_file_infos", LuaLogs::getJfFileInfos},
    {"flush_jf_log", LuaLogs::flushJfLog},
    {"scroll_jf_log_file", LuaLogs::scrollJfLogFile},
    {nullptr, nullptr},
};

constexpr int kFunctionCount = static_cast<int>(sizeof kVemosdkFunctions / sizeof kVemosdkFunctions[0]) - 1;
static_assert(kFunctionCount == 141, "the module has 141 functions");

}  // namespace

bool vemosdk_function_works(const char* name) {
  for (const luaL_Reg* entry = kVemosdkFunctions; entry->name; ++entry)
    if (std::strcmp(entry->name, name) == 0) return true;
  return false;
}

static_assert(sizeof(lua_Integer) == 8 && sizeof(lua_Number) == 8, "Lua with 64-bit integers and floats");

extern "C" int luaopen_vemosdk(lua_State* L) {
  luaL_checkversion(L);
  lua_createtable(L, 0, kFunctionCount);
  vemo::lua_set_guarded_funcs(L, kVemosdkFunctions, 0);
  LuaSensitiveWords::pushSensitiveWordsTable(L);
  lua_setfield(L, -2, "sensitive_words");
  LuaFst::pushFstTable(L);
  lua_setfield(L, -2, "fst");
  return 1;
}
