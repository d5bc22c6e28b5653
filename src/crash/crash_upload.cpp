#include "crash/crash_upload.h"

#include <windows.h>

#include <cjson/cJSON.h>
#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/debug_log.h"
#include "core/keystore/keystore.h"
#include "core/md5.h"
#include "core/owners.h"
#include "core/sdk_context.h"
#include "core/system_clock.h"
#include "core/text_convert.h"
#include "crash/crash_settings.h"
#include "crash/probes/machine_identity.h"
#include "http/http.h"

namespace VemoSDK {

namespace {

// A crash must not hang on a service that does not answer.
constexpr long kPingConnectTimeoutS = 5;
constexpr long kPingTimeoutS = 10;

using vemo::json_quoted;

std::string stored_or(const std::string& value, const char* key) {
  if (!value.empty()) return value;
  vemo::MallocPtr<char> stored(keystore_get_string(key));
  return stored ? stored.get() : "";
}

size_t append_to_string(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

bool send_crash_ping_now(const CrashPing& ping, vemo::CurlSlist& headers) {
  vemo::CurlEasy easy(curl_easy_init());
  if (!easy) {
    vemo_debug_printf("%s init curl fail", "crash");
    return false;
  }
  std::string response;
  curl_easy_setopt(easy.get(), CURLOPT_URL, ping.url.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_POST, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_VERBOSE, 0L);
  curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(ping.body.size()));
  curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, ping.body.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, append_to_string);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &response);
  curl_easy_setopt(easy.get(), CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NO_REVOKE));
  curl_easy_setopt(easy.get(), CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT, kPingConnectTimeoutS);
  curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT, kPingTimeoutS);
  curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
  CURLcode result = curl_easy_perform(easy.get());
  if (result != CURLE_OK) {
    vemo_debug_printf("curl_easy_perform() failed: %s\n", curl_easy_strerror(result));
    return false;
  }
  long status = 0;
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
  vemo_debug_printf("response code %d \n", static_cast<int>(status));
  vemo_debug_printf("response data : \n %s\n", response.c_str());
  return true;
}

DWORD WINAPI pending_upload_thread(void*) {
  upload_pending_crash_files();
  return 0;
}

}  // namespace

std::string crash_directory() {
  VemoSDKContextPtr context = vemosdk_get_context();
  return context ? context->program_private_dir + "/crash" : std::string();
}

std::string crash_dump_directory() {
  VemoSDKContextPtr context = vemosdk_get_context();
  return context ? context->program_private_dir + "/dump" : std::string();
}

bool build_crash_ping(CrashPingMode mode, const std::string& tm, const std::string& ud, CrashPing& ping) {
  const CrashSettings& settings = crash_settings();
  const CrashDeviceInfo& device = crash_device_info();
  const std::string& app_id = settings.app_id;
  const std::string& secret = settings.secret;
  const std::string& sdk_version = device.sdk_version;
  const std::string& app_version = device.app_version;
  if (app_id.empty() || secret.empty() || sdk_version.empty() || app_version.empty()) {
    vemo_debug_printf("appid is %s\n", app_id.c_str());
    if (app_id.empty()) vemo_debug_printf("appid is empty\n");
    else if (secret.empty()) vemo_debug_printf("secret is empty\n");
    else if (sdk_version.empty()) vemo_debug_printf("sdk version is empty\n");
    else vemo_debug_printf("appVersion is empty\n");
    return false;
  }
  std::string brand = stored_or(device.brand, "VEMOSDK_CRASH_BRAND");
  std::string model = stored_or(device.model, "VEMOSDK_CRASH_MODEL");
  std::string cpu = stored_or(device.cpu, "VEMOSDK_CRASH_CPU");
  bool crash = mode == CrashPingMode::kCrash;

  ping.url = settings.statistics_url + "/api/v1/track/upload";
  ping.params = "&app=" + app_id + "&cp=none" + "&cver=0" + "&de=1" + "&os=windows" + "&seq=0" + "&sver=" +
                sdk_version + "&tm=" + tm + "&type=crash" + "&ud=" + ud + "&ver=" + app_version;
  std::string signed_text = "app=" + app_id + "cp=none" + "cver=0" + "de=1" + "os=windows" + "seq=0" + "sver=" +
                            sdk_version + "tm=" + tm + "type=crash" + "ud=" + ud + "ver=" + app_version + secret;
  char digest[33];
  vemo_md5_hex(signed_text.c_str(), digest);
  ping.signature = digest;

  std::string body = "{\"wpk_appid\":" + json_quoted(app_id) + ",\"version\":" + json_quoted(app_version) +
                     ",\"uuid\":" + json_quoted(ud) + ",\"wd_stm\":" + tm;
  if (!device.os.empty()) body += ",\"rom\":" + json_quoted(device.os);
  if (!brand.empty()) body += ",\"brand\":" + json_quoted(brand);
  if (!model.empty()) body += ",\"model\":" + json_quoted(model);
  if (!cpu.empty()) body += ",\"cpu\":" + json_quoted(cpu);
  body += ",\"k_ct\":" + json_quoted(crash ? "crash" : "pv") + ",\"k_ac\":" + json_quoted(crash ? "native" : "");
  body += ",\"cnt\": 1,\"bg\": 0}";
  ping.body = body;
  return true;
}

bool upload_crash_statistics(CrashPingMode mode) {
  std::string tm = std::to_string(system_clock_ms() / 1000);
  CrashPing ping;
  if (!build_crash_ping(mode, tm, vmsdk_get_mac_addr(), ping)) return false;
  vemo::CurlSlist headers;
  std::string signed_header = "wpk-header: " + ping.params + "&sign=" + ping.signature;
  if (!vemo::append_header(headers, "Content-Type:application/json") ||
      !vemo::append_header(headers, signed_header.c_str())) {
    return false;
  }
  if (mode == CrashPingMode::kPageView) {
    _vemosdk_http_post(0, ping.url.c_str(), ping.body.c_str(), static_cast<int64_t>(ping.body.size()),
                       std::move(headers), false, nullptr);
    return true;
  }
  return send_crash_ping_now(ping, headers);
}

bool crash_upload_accepted(const char* response) {
  if (!response) return false;
  vemo::JsonPtr answer(cJSON_Parse(response));
  const cJSON* code = cJSON_GetObjectItemCaseSensitive(answer.get(), "code");
  const cJSON* success = cJSON_GetObjectItemCaseSensitive(answer.get(), "success");
  return cJSON_IsNumber(code) && code->valuedouble == 200 && cJSON_IsNumber(success) && success->valuedouble == 1;
}

bool upload_crash_file(const std::string& upload_url, const std::string& path) {
  char* raw_response = nullptr;
  int result = vmsdk_http_upload_file(upload_url.c_str(), path.c_str(), &raw_response);
  vemo::MallocPtr<char> response(raw_response);
  if (result != 0 || !response) {
    vemo_debug_printf("crash file uploaded %s failed\n", path.c_str());
    return false;
  }
  bool accepted = crash_upload_accepted(response.get());
  if (accepted && !crash_settings().debuggable) {
    vemo_debug_printf("crash dump upload succ, resp=%s\n", response.get());
    DeleteFileW(utf8_to_wstring(path).c_str());
  } else {
    vemo_debug_printf("crash file upload fail, resp=%s\n", response.get());
  }
  return accepted;
}

void upload_pending_crash_files() {
  std::string directory = crash_directory();
  if (directory.empty()) return;
  std::wstring pattern = utf8_to_wstring(directory + "/" + crash_settings().app_id + "_*.log");
  WIN32_FIND_DATAW found;
  vemo::UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
  if (!search) return;
  std::string url = crash_settings().upload_url;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = wstring_to_utf8(found.cFileName);
    // A short-name match can bring in "x.log.part": only finished reports go.
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".log") != 0) continue;
    upload_crash_file(url, directory + "/" + name);
  } while (FindNextFileW(search.get(), &found));
}

void start_upload_pending_crash_files() {
  // The thread runs on its own; its handle is closed here.
  vemo::UniqueHandle thread(CreateThread(nullptr, 0, pending_upload_thread, nullptr, 0, nullptr));
}

}  // namespace VemoSDK
