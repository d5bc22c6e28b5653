#include "http/http.h"

#include <cstdlib>
#include <cstring>

#include "core/debug_log.h"
#include "http/http_headers.h"
#include "http/http_manager.h"

void vmsdk_http_global_init() {
  // Only Schannel is built in; asking for it by id also settles the choice
  // before libcurl's first use.
  if (curl_global_sslset(CURLSSLBACKEND_SCHANNEL, nullptr, nullptr) != CURLSSLSET_OK)
    vemo_debug_printf("ssl not found!\n");
  HttpManager::getInstance();
}

void _vemosdk_submit_download(int64_t callback_id, const char* url, vemo::CurlSlist headers,
                              DownloadParams params) {
  HttpManager::getInstance()->submitDownload(callback_id, url ? url : "", std::move(headers), params);
}

void _vemosdk_check_submit_download() { HttpManager::getInstance()->vmsdk_check_submit_download_to_max_count(); }

void _vemosdk_http_get_file(int64_t callback_id, const char* url, vemo::CurlSlist headers, bool no_host_check,
                            DownloadParams params) {
  HttpManager::getInstance()->vmsdk_http_get_file(callback_id, url ? url : "", std::move(headers), no_host_check,
                                                  params);
}

void _vemosdk_http_stop_task(int64_t callback_id, const char* task_id) {
  HttpManager::getInstance()->stopTask(callback_id, task_id);
}

void _vemosdk_http_stop_task_list(int64_t callback_id, const cJSON* task_ids) {
  HttpManager::getInstance()->http_stop_with_task_arr(callback_id, task_ids);
}

void _vemosdk_update_download_priority(const cJSON* task_priorities) {
  HttpManager::getInstance()->vmsdk_update_download_priority(task_priorities);
}

void _vemosdk_http_update_download_config(int64_t limit_speed_kb, int64_t read_buffer_size, int64_t max_count,
                                          int64_t progress_interval_ms, int64_t extra) {
  HttpManager::getInstance()->update_download_config(limit_speed_kb, read_buffer_size, max_count,
                                                     progress_interval_ms, extra);
}

DownloadConfig _vemosdk_http_download_config() {
  HttpManager* manager = HttpManager::getInstance();
  return {manager->limitSpeedKb(), manager->readBufferSize(), manager->maxConcurrentDownloads(),
          manager->progressIntervalMs(), manager->configExtra()};
}

void _vemosdk_http_reject_download(int64_t callback_id, const DownloadParams& params, const char* msg) {
  HttpManager::getInstance()->rejectDownload(callback_id, params, msg ? msg : "");
}

void _vemosdk_http_get(int64_t callback_id, const char* url, vemo::CurlSlist headers, bool no_host_check) {
  HttpManager::getInstance()->httpGet(callback_id, url ? url : "", std::move(headers), no_host_check);
}

void _vemosdk_http_post(int64_t callback_id, const char* url, const char* body, int64_t body_length,
                        vemo::CurlSlist headers, bool no_host_check, const char* options_json) {
  std::string_view bytes = body && body_length > 0 ? std::string_view(body, static_cast<size_t>(body_length))
                                                   : std::string_view();
  HttpManager::getInstance()->httpPost(callback_id, url ? url : "", bytes, std::move(headers), no_host_check,
                                       options_json);
}

int vmsdk_http_upload_file(const char* url, const char* file_path, char** response) {
  std::string answer;
  int result = HttpManager::getInstance()->uploadFileSync(url ? url : "", file_path ? file_path : "", answer);
  if (!response) return result;
  *response = nullptr;
  if (result == HttpManager::kUploadNoHandle) return result;
  *response = static_cast<char*>(std::malloc(answer.size() + 1));
  if (*response) std::memcpy(*response, answer.c_str(), answer.size() + 1);
  return result;
}

void vmsdk_http_upload_async(const char* url, const char* file_name, const void* data, int64_t length) {
  std::string_view bytes = data && length > 0 ? std::string_view(static_cast<const char*>(data), static_cast<size_t>(length))
                                              : std::string_view();
  HttpManager::getInstance()->uploadAsync(url ? url : "", file_name ? file_name : "", bytes);
}

void _vemosdk_http_add_cert_pin(const char* pin) {
  if (pin && *pin) HttpManager::getInstance()->addCertPin(pin);
}

void _vemosdk_http_set_verbose(int verbose) { HttpManager::getInstance()->setVerbose(verbose); }

void _vemosdk_http_enable_revocation_check() { HttpManager::getInstance()->setRevocationCheck(true); }

void _vemosdk_http_disable_revocation_check() { HttpManager::getInstance()->setRevocationCheck(false); }
