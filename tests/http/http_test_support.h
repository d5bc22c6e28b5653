#pragma once
// Helpers of the download tests: a sink that records what the manager
// posts, files served by the test server, and the server's statistics.
#include <cjson/cJSON.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/owners.h"
#include "http/download_params.h"
#include "http/http_events.h"

namespace vemo::test {

struct PostedResult {
  int64_t callback_id = 0;
  int64_t batch_id = 0;  // 0 outside a batch
  std::string json;
  std::string body;
  int status() const;
  std::string text(const char* key) const;
};

struct PostedEvent {
  int64_t callback_id = 0;
  std::string json;
  bool keep_latest = false;
  std::string type() const;        // "header", or "" for progress
  double number(const char* key) const;
};

// Records every post, and lets a test wait for results.
class RecordingSink final : public VemoSDKHttp::HttpEventSink {
public:
  void postResult(int64_t callback_id, const std::string& json, const std::string& body) override;
  void postEvent(int64_t callback_id, const std::string& json, bool keep_latest_only) override;
  void postBatchResult(int64_t batch_id, int64_t callback_id, vemo::JsonPtr result, bool rename_ret,
                       bool success) override;
  void postBatchEvent(int64_t batch_id, int64_t callback_id, vemo::JsonPtr event, bool queued) override;

  // Waits until at least count results arrived; false after the time-out.
  bool waitForResults(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(60));
  std::vector<PostedResult> results() const;
  std::vector<PostedEvent> events() const;
  std::vector<PostedResult> resultsFor(int64_t callback_id) const;

private:
  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<PostedResult> results_;
  std::vector<PostedEvent> events_;
};

// A folder under the test server's root, removed with its files afterwards.
class ServedFolder {
public:
  explicit ServedFolder(const std::string& name);
  ~ServedFolder();
  ServedFolder(const ServedFolder&) = delete;
  ServedFolder& operator=(const ServedFolder&) = delete;

  // Writes a served file; returns its URL. The URL's query names the group
  // (more switches follow with "&").
  std::string add(const std::string& name, const std::string& bytes);
  // The URL of any name in the folder, in the group.
  std::string url(const std::string& name) const;
  const std::string& group() const { return group_; }

private:
  std::string folder_;     // Windows path
  std::string url_base_;
  std::string group_;
  std::vector<std::string> files_;
};

// Deterministic bytes that do not repeat within a file.
std::string test_bytes(size_t size, uint32_t seed);
// Lowercase hex MD5, computed by Windows itself (an oracle independent of the SDK).
std::string reference_md5(const std::string& bytes);
bool file_exists(const std::string& path);
int64_t file_size(const std::string& path);

// The test server's statistics of one group, and a reset of them.
vemo::JsonPtr server_stats(const std::string& group);
void reset_server_stats(const std::string& group);
struct RecordedRequest {
  std::string method;
  std::string path;   // with the query
  std::string range;  // the Range header, "" when none
};
// The requests of a group in the order they arrived.
std::vector<RecordedRequest> recorded_requests(const cJSON* stats);
int max_active(const cJSON* stats);

// A zero-filled parameter block.
DownloadParams download_params(const std::string& task_id, const std::string& file, const std::string& dest = {},
                               const std::string& checksum = {}, int64_t expect_size = 0);

}  // namespace vemo::test
