#pragma once
// The configuration of crash capture and of its reports, and the two lists
// the host fills while it runs (user actions, extra information). Every text
// is a copy: a second init_crash_sdk rewrites the settings, never a text a
// reader still holds.
#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace VemoSDK {

constexpr size_t kCrashUserActionLimit = 100;
constexpr size_t kCrashDeviceTextLimit = 127;  // bytes kept of the OS, brand, model and cpu texts

struct CrashSettings {
  std::string app_id = "VemoSDK";
  std::string app_version = "0.0.0.0";
  std::string secret;
  std::string upload_url;
  std::string statistics_url;
  std::string doc_url;  // empty: the built-in documentation address
  bool debuggable = false;
  bool first_init = true;
};

// What the statistics ping carries about this device.
struct CrashDeviceInfo {
  std::string app_version;
  std::string sdk_version;
  std::string os;
  std::string brand;
  std::string model;
  std::string cpu;
};

// The process's settings. Written during SDK start-up, read by any thread,
// also a crashing one.
CrashSettings& crash_settings();
CrashDeviceInfo& crash_device_info();

const char* crash_builtin_upload_url();
const char* crash_builtin_statistics_url();
const char* crash_builtin_doc_url();

// Clears both lists, reads the "CRASH_SDK" entry of sdkconfig.json from the
// live context; the first call also fills the device information and sends
// the page-view ping.
void init_crash_sdk(const char* app_version);

void add_crash_user_action(const char* key, const char* value);
void add_crash_ext_info(const char* key, const char* value);
// The lists as report text. A crash reads them with a bounded wait: a list
// whose lock another (perhaps frozen) thread holds reads as empty.
std::string get_crash_user_action_text(std::chrono::milliseconds wait = std::chrono::hours(1));
std::string get_crash_ext_info_text(std::chrono::milliseconds wait = std::chrono::hours(1));
// Holds a list's lock, for the tests of the bounded wait.
std::unique_lock<std::timed_mutex> hold_crash_user_actions();

void set_crash_version_info(const char* app_version, const char* sdk_version, const char* os);
// Each non-null text is kept and saved in the key store.
void set_crash_brand_model(const char* brand, const char* model);
void set_crash_cpu(const char* cpu);

// Back to the state of a new process (for tests).
void reset_crash_settings();

}  // namespace VemoSDK
