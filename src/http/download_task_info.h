#pragma once
// One download into a file, as its own object: the task, its file, the
// answer's headers, progress and network checks, the HEAD pre-check of a
// resumed download, and its checks and one answer at the end. It reaches the
// manager only through TransferHost.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "http/buffer_data.h"
#include "http/download_file.h"
#include "http/http_headers.h"
#include "http/speed_limiter.h"
#include "http/transfer_host.h"

namespace VemoSDKHttp {

class DownloadTaskInfo final : public BufferData {
public:
  DownloadTaskInfo(TransferHost& host, int64_t callback_id, const std::string& url, vemo::CurlSlist headers,
                   bool no_host_check, const DownloadParams& params);

  // A request with a Range line resumes its file: a HEAD pre-check runs
  // first, and judges whether the range still holds.
  bool needsPreCheck() const { return has_range_header(headers.get()); }
  // The pre-check's options on a new handle; false when none can be made
  // (answered with 7011009).
  bool prepareHead(const TransferSettings& settings);
  // Opens the file (resumed at the Range line's start, when it can be) and
  // sets the download's options on easy; false when the file cannot be
  // opened (answered with 7011010).
  bool prepareDownload(vemo::CurlEasy easy, const TransferSettings& settings);

  void onLoopPass(int64_t now_ms) override;
  void complete(CURLcode result) override;

  // The libcurl callbacks of the download (download thread).
  // The empty line that ends the final answer's headers; false aborts.
  bool onHeadersEnd(long response_code);
  size_t onData(const char* data, size_t length);
  // Non-zero aborts the transfer.
  int onProgress(int64_t download_total, int64_t downloaded);

  const std::string& taskId() const { return taskId_; }
  bool isHead() const { return isHead_; }

private:
  std::shared_ptr<DownloadTaskInfo> self();
  int statusOf(CURLcode result);
  // Judges the finished HEAD pre-check and hands the download on.
  void judgePreCheck();
  void finishDownload(int status);
  // On a check thread: MD5, size and rename of a download that arrived whole;
  // streamed_md5 is the digest taken while it arrived ("" when none was).
  void finishChecked(int status, const std::string& streamed_md5);
  bool networkAllowsTransfer(int64_t now_ms);
  void postHeaderEvent();
  void postProgress(int64_t now_ms);
  void postFinal(int status, bool success, const std::string& body);
  void postEarlyFailure(int status, const std::string& msg);

  TransferHost& host_;
  std::string taskId_;
  int64_t progressTotal_ = 0;  // as last reported
  int64_t received_ = 0;
  int64_t lastProgressPostMs_ = 0;
  bool isHead_ = false;
  bool resuming_ = false;    // the request carries a Range line
  ByteRange requested_;      // that line's range
  int64_t resumeOffset_ = 0;  // where the file continues; 0 when not resuming
  DownloadFile file_;
  std::string checksum_;  // expected MD5, any case
  int64_t batchId_ = 0;
  int64_t expectSize_ = 0;
  std::wstring dest_;  // empty: no rename
  bool renamed_ = false;
  VemoLimitHttpSpeed::Pace pace_;
  bool digestHeld_ = false;  // paused until the file's digest catches up
  int64_t lastDataMs_ = 0;  // when bytes last arrived (or the transfer began)
  bool networkDown_ = false;
  bool rangeMismatch_ = false;
};

}  // namespace VemoSDKHttp
