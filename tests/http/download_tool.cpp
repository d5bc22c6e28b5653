// A small program that downloads one file the way the launcher does, so
// that a test can kill it mid-way and start it again:
//   http_download_tool <url> <file> <dest> <md5> [<validator>]
// A non-empty <file> is resumed from its size. Prints the result; the exit
// code is 0 for a verified download.
#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>

#include "http/http_manager.h"

namespace {

class WaitingSink final : public VemoSDKHttp::HttpEventSink {
public:
  void postResult(int64_t, const std::string& json, const std::string& body) override {
    std::lock_guard<std::mutex> hold(lock_);
    answer_ = json + body;
    done_.notify_all();
  }
  void postEvent(int64_t, const std::string&, bool) override {}
  void postBatchResult(int64_t, int64_t, vemo::JsonPtr, bool, bool) override {}
  void postBatchEvent(int64_t, int64_t, vemo::JsonPtr, bool) override {}
  std::string wait() {
    std::unique_lock<std::mutex> hold(lock_);
    done_.wait(hold, [this] { return !answer_.empty(); });
    return answer_;
  }

private:
  std::mutex lock_;
  std::condition_variable done_;
  std::string answer_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: http_download_tool <url> <file> <dest> <md5> [<validator>]\n");
    return 2;
  }
  DownloadParams params{};
  VemoSDKHttp::set_param_text(params.taskId, "tool");
  VemoSDKHttp::set_param_text(params.file, argv[2]);
  VemoSDKHttp::set_param_text(params.dest, argv[3]);
  VemoSDKHttp::set_param_text(params.checksum, argv[4]);
  if (argc > 5) VemoSDKHttp::set_param_text(params.param_if_range, argv[5]);

  WIN32_FILE_ATTRIBUTE_DATA data;
  int64_t have = 0;
  if (GetFileAttributesExA(argv[2], GetFileExInfoStandard, &data))
    have = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  vemo::CurlSlist headers;
  if (have > 0) vemo::append_header(headers, ("Range: bytes=" + std::to_string(have) + "-").c_str());

  WaitingSink sink;
  HttpManager manager(sink);
  manager.submitDownload(1, argv[1], std::move(headers), params);
  manager.vmsdk_check_submit_download_to_max_count();
  std::string answer = sink.wait();
  std::printf("%s\n", answer.c_str());
  return answer.find("\"status\":20") != std::string::npos ? 0 : 1;
}
