#pragma once
// A manager of its own per test, recording what it posts, with files served
// by the test server and a temporary folder for the downloads.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "http/http_manager.h"
#include "http_test_support.h"
#include "test_support.h"

namespace vemo::test {

class DownloadFixture : public ::testing::Test {
protected:
  explicit DownloadFixture(const std::string& name) : served(name), dir(name) {
    manager = std::make_unique<HttpManager>(sink);
  }

  // Submits one download and starts what may start.
  void submit(int64_t callback_id, const std::string& url, const DownloadParams& params,
              std::initializer_list<const char*> headers = {}) {
    manager->submitDownload(callback_id, url, header_list(headers), params);
    manager->vmsdk_check_submit_download_to_max_count();
  }

  static vemo::CurlSlist header_list(std::initializer_list<const char*> lines) {
    vemo::CurlSlist list;
    for (const char* line : lines) vemo::append_header(list, line);
    return list;
  }

  // The one result posted for a callback id (a test failure when there is not exactly one).
  PostedResult only_result(int64_t callback_id) {
    auto results = sink.resultsFor(callback_id);
    EXPECT_EQ(1u, results.size()) << "results for " << callback_id;
    return results.empty() ? PostedResult{} : results.front();
  }

  std::string read(const std::string& path) {
    std::string bytes;
    read_file(path, bytes);
    return bytes;
  }

  RecordingSink sink;
  ServedFolder served;
  TempDir dir;
  std::unique_ptr<HttpManager> manager;  // destroyed first: it posts into sink
};

}  // namespace vemo::test
