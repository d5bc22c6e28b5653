#include "http_test_support.h"

#include "core/text_convert.h"

#include <windows.h>
#include <bcrypt.h>

#include <curl/curl.h>

#include <cstdio>

#include "test_support.h"

namespace vemo::test {
namespace {

vemo::JsonPtr parse(const std::string& json) { return vemo::JsonPtr(cJSON_Parse(json.c_str())); }

size_t collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

std::string http_get_text(const std::string& url) {
  std::string body;
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, collect);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, 20L);
  curl_easy_perform(easy);
  curl_easy_cleanup(easy);
  return body;
}

}  // namespace

int PostedResult::status() const {
  auto root = parse(json);
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root.get(), "status");
  return cJSON_IsNumber(item) ? item->valueint : INT32_MIN;
}

std::string PostedResult::text(const char* key) const {
  auto root = parse(json);
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root.get(), key);
  return cJSON_IsString(item) ? item->valuestring : "";
}

std::string PostedEvent::type() const {
  auto root = parse(json);
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root.get(), "type");
  return cJSON_IsString(item) ? item->valuestring : "";
}

double PostedEvent::number(const char* key) const {
  auto root = parse(json);
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root.get(), key);
  return cJSON_IsNumber(item) ? item->valuedouble : -2;
}

void RecordingSink::postResult(int64_t callback_id, const std::string& json, const std::string& body) {
  std::lock_guard<std::mutex> hold(lock_);
  results_.push_back({callback_id, 0, json, body});
  arrived_.notify_all();
}

void RecordingSink::postEvent(int64_t callback_id, const std::string& json, bool keep_latest_only) {
  std::lock_guard<std::mutex> hold(lock_);
  events_.push_back({callback_id, json, keep_latest_only});
}

void RecordingSink::postBatchResult(int64_t batch_id, int64_t callback_id, vemo::JsonPtr result, bool,
                                    bool) {
  std::lock_guard<std::mutex> hold(lock_);
  results_.push_back({callback_id, batch_id, vemo::print_json(result.get()), {}});
  arrived_.notify_all();
}

void RecordingSink::postBatchEvent(int64_t, int64_t callback_id, vemo::JsonPtr event, bool queued) {
  std::lock_guard<std::mutex> hold(lock_);
  events_.push_back({callback_id, vemo::print_json(event.get()), !queued});
}

bool RecordingSink::waitForResults(size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> hold(lock_);
  return arrived_.wait_for(hold, timeout, [&] { return results_.size() >= count; });
}

std::vector<PostedResult> RecordingSink::results() const {
  std::lock_guard<std::mutex> hold(lock_);
  return results_;
}

std::vector<PostedEvent> RecordingSink::events() const {
  std::lock_guard<std::mutex> hold(lock_);
  return events_;
}

std::vector<PostedResult> RecordingSink::resultsFor(int64_t callback_id) const {
  std::vector<PostedResult> out;
  for (const PostedResult& result : results())
    if (result.callback_id == callback_id) out.push_back(result);
  return out;
}

ServedFolder::ServedFolder(const std::string& name) {
  group_ = name + "-" + std::to_string(GetCurrentProcessId());
  folder_ = http_root() + "\\" + group_;
  url_base_ = http_base_url() + "/" + group_ + "/";
  CreateDirectoryW(utf8_to_wstring(http_root()).c_str(), nullptr);
  CreateDirectoryW(utf8_to_wstring(folder_).c_str(), nullptr);
  reset_server_stats(group_);
}

ServedFolder::~ServedFolder() {
  for (const std::string& file : files_) DeleteFileW(utf8_to_wstring(folder_ + "\\" + file).c_str());
  RemoveDirectoryW(utf8_to_wstring(folder_).c_str());
}

std::string ServedFolder::add(const std::string& name, const std::string& bytes) {
  write_file(folder_ + "\\" + name, bytes);
  files_.push_back(name);
  return url(name);
}

std::string ServedFolder::url(const std::string& name) const { return url_base_ + name + "?group=" + group_; }

std::string test_bytes(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  uint32_t state = seed * 2654435761u + 1;
  for (char& c : out) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    c = static_cast<char>(state >> 24);
  }
  return out;
}

std::string reference_md5(const std::string& bytes) { return windows_digest_hex(BCRYPT_MD5_ALGORITHM, bytes); }

bool file_exists(const std::string& path) { return GetFileAttributesW(utf8_to_wstring(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

int64_t file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(utf8_to_wstring(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

vemo::JsonPtr server_stats(const std::string& group) {
  return parse(http_get_text(http_base_url() + "/_/stats?group=" + group));
}

void reset_server_stats(const std::string& group) { http_get_text(http_base_url() + "/_/reset?group=" + group); }

std::vector<RecordedRequest> recorded_requests(const cJSON* stats) {
  std::vector<RecordedRequest> out;
  const cJSON* requests = cJSON_GetObjectItemCaseSensitive(stats, "requests");
  for (const cJSON* request = requests ? requests->child : nullptr; request; request = request->next) {
    RecordedRequest recorded;
    const cJSON* method = cJSON_GetObjectItemCaseSensitive(request, "method");
    const cJSON* path = cJSON_GetObjectItemCaseSensitive(request, "path");
    if (cJSON_IsString(method)) recorded.method = method->valuestring;
    if (cJSON_IsString(path)) recorded.path = path->valuestring;
    const cJSON* headers = cJSON_GetObjectItemCaseSensitive(request, "headers");
    for (const cJSON* h = headers ? headers->child : nullptr; h; h = h->next)
      if (h->string && _stricmp(h->string, "range") == 0 && cJSON_IsString(h)) recorded.range = h->valuestring;
    out.push_back(recorded);
  }
  return out;
}

int max_active(const cJSON* stats) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(stats, "max_active");
  return cJSON_IsNumber(item) ? item->valueint : -1;
}

DownloadParams download_params(const std::string& task_id, const std::string& file, const std::string& dest,
                               const std::string& checksum, int64_t expect_size) {
  DownloadParams params{};
  VemoSDKHttp::set_param_text(params.taskId, task_id);
  VemoSDKHttp::set_param_text(params.file, file);
  VemoSDKHttp::set_param_text(params.dest, dest);
  VemoSDKHttp::set_param_text(params.checksum, checksum);
  params.expect_size = expect_size;
  return params;
}

}  // namespace vemo::test
