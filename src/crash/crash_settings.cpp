#include "crash/crash_settings.h"

#include <cjson/cJSON.h>

#include <string>

#include "core/debug_log.h"
#include "core/json_utils.h"
#include "core/keystore/keystore.h"
#include "core/sdk_context.h"
#include "core/sdk_runtime.h"
#include "crash/crash_device_listener.h"
#include "crash/crash_upload.h"
#include "crash/probes/system_probes.h"

namespace VemoSDK {

namespace {

using Entry = std::pair<std::string, std::string>;

struct CrashLists {
  std::timed_mutex user_action_lock;
  std::deque<Entry> user_actions;
  std::timed_mutex ext_info_lock;
  std::vector<Entry> ext_info;
};

CrashLists& crash_lists() {
  static CrashLists lists;
  return lists;
}

std::string text_or_empty(const char* text) { return text ? text : ""; }

std::string cut_device_text(const char* text) {
  std::string copy = text_or_empty(text);
  if (copy.size() > kCrashDeviceTextLimit) copy.resize(kCrashDeviceTextLimit);
  return copy;
}

void read_crash_config(CrashSettings& settings, const cJSON* meta) {
  if (const char* value = json_get_string(meta, "app_id")) settings.app_id = value;
  if (const char* value = json_get_string(meta, "secret")) settings.secret = value;
  if (const char* value = json_get_string(meta, "upload_crash_file_url")) {
    settings.upload_url = value;
    vemo_debug_printf("upload_url = %s\n", value);
  }
  if (const char* value = json_get_string(meta, "statistics_url")) {
    settings.statistics_url = value;
    vemo_debug_printf("statistics_url = %s\n", value);
  }
  if (const char* value = json_get_string(meta, "debuggable")) {
    if (std::string(value) == "true") settings.debuggable = true;
  }
  if (const char* value = json_get_string(meta, "url")) settings.upload_url = value;
}

}  // namespace

CrashSettings& crash_settings() {
  static CrashSettings settings = [] {
    CrashSettings fresh;
    fresh.upload_url = crash_builtin_upload_url();
    fresh.statistics_url = crash_builtin_statistics_url();
    return fresh;
  }();
  return settings;
}

CrashDeviceInfo& crash_device_info() {
  static CrashDeviceInfo info;
  return info;
}

const char* crash_builtin_upload_url() { return "https://crashreport.vemo-launcher.net/upload"; }
const char* crash_builtin_statistics_url() { return "https://crashstat.vemo-launcher.net"; }
const char* crash_builtin_doc_url() { return "https://crashreport.vemo-launcher.net/docs/reading-a-crash-report"; }

void init_crash_sdk(const char* app_version) {
  {
    CrashLists& lists = crash_lists();
    std::lock_guard<std::timed_mutex> hold_ext(lists.ext_info_lock);
    lists.ext_info.clear();
  }
  {
    CrashLists& lists = crash_lists();
    std::lock_guard<std::timed_mutex> hold_actions(lists.user_action_lock);
    lists.user_actions.clear();
  }
  CrashSettings& settings = crash_settings();
  VemoSDKContextPtr context = vemosdk_get_context();
  settings.app_version = context ? context->app_version : text_or_empty(app_version);
  settings.app_id = "kvz" + (context ? context->game_id : std::string());
  const cJSON* meta = context ? sdk_meta_of(context->config.get(), "CRASH_SDK") : nullptr;
  if (meta) read_crash_config(settings, meta);
  else vemo_debug_printf("get crash sdk cfg failed\n");

  if (!settings.first_init) return;
  settings.first_init = false;
  std::string os = vmsdk_get_os_version().value_or("");
  set_crash_version_info(app_version, kSdkVersion, os.c_str());
  listen_for_crash_device_texts();
  upload_crash_statistics(CrashPingMode::kPageView);
}

void add_crash_user_action(const char* key, const char* value) {
  CrashLists& lists = crash_lists();
  std::lock_guard<std::timed_mutex> hold(lists.user_action_lock);
  while (lists.user_actions.size() >= kCrashUserActionLimit) lists.user_actions.pop_front();
  lists.user_actions.emplace_back(text_or_empty(key), text_or_empty(value));
}

void add_crash_ext_info(const char* key, const char* value) {
  CrashLists& lists = crash_lists();
  std::lock_guard<std::timed_mutex> hold(lists.ext_info_lock);
  lists.ext_info.emplace_back(text_or_empty(key), text_or_empty(value));
}

std::string get_crash_user_action_text(std::chrono::milliseconds wait) {
  CrashLists& lists = crash_lists();
  std::unique_lock<std::timed_mutex> hold(lists.user_action_lock, wait);
  size_t count = hold.owns_lock() ? lists.user_actions.size() : 0;
  std::string text = "user_action: (" + std::to_string(count) + "/" + std::to_string(kCrashUserActionLimit) + ")";
  if (!hold.owns_lock()) return text;
  for (const Entry& entry : lists.user_actions) text += "\n" + entry.first + ": " + entry.second;
  return text;
}

std::string get_crash_ext_info_text(std::chrono::milliseconds wait) {
  CrashLists& lists = crash_lists();
  std::unique_lock<std::timed_mutex> hold(lists.ext_info_lock, wait);
  std::string text;
  if (!hold.owns_lock()) return text;
  for (const Entry& entry : lists.ext_info) {
    if (!text.empty()) text += "\n";
    text += entry.first + ": " + entry.second;
  }
  return text;
}

std::unique_lock<std::timed_mutex> hold_crash_user_actions() {
  return std::unique_lock<std::timed_mutex>(crash_lists().user_action_lock);
}

void set_crash_version_info(const char* app_version, const char* sdk_version, const char* os) {
  CrashDeviceInfo& info = crash_device_info();
  info.app_version = text_or_empty(app_version);
  info.sdk_version = text_or_empty(sdk_version);
  if (os) info.os = cut_device_text(os);
}

void set_crash_brand_model(const char* brand, const char* model) {
  CrashDeviceInfo& info = crash_device_info();
  if (brand) {
    info.brand = cut_device_text(brand);
    keystore_set_string("VEMOSDK_CRASH_BRAND", info.brand.c_str());
  }
  if (model) {
    info.model = cut_device_text(model);
    keystore_set_string("VEMOSDK_CRASH_MODEL", info.model.c_str());
  }
}

void set_crash_cpu(const char* cpu) {
  if (!cpu) return;
  CrashDeviceInfo& info = crash_device_info();
  info.cpu = cut_device_text(cpu);
  keystore_set_string("VEMOSDK_CRASH_CPU", info.cpu.c_str());
}

void reset_crash_settings() {
  crash_settings() = CrashSettings();
  crash_settings().upload_url = crash_builtin_upload_url();
  crash_settings().statistics_url = crash_builtin_statistics_url();
  crash_device_info() = CrashDeviceInfo();
  CrashLists& lists = crash_lists();
  {
    std::lock_guard<std::timed_mutex> hold(lists.ext_info_lock);
    lists.ext_info.clear();
  }
  std::lock_guard<std::timed_mutex> hold(lists.user_action_lock);
  lists.user_actions.clear();
}

}  // namespace VemoSDK
