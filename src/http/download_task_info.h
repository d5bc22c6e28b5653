#pragma once
// A download into a file (and the HEAD pre-check of a resumed one).
#include <cstdint>
#include <string>

#include "http/buffer_data.h"
#include "http/download_file.h"
#include "http/http_headers.h"
#include "http/speed_limiter.h"

class HttpManager;

namespace VemoSDKHttp {

class DownloadTaskInfo final : public BufferData {
public:
  explicit DownloadTaskInfo(HttpManager& owner) : manager(owner) {}
  void onLoopPass(int64_t now_ms) override;

  HttpManager& manager;
  std::string taskId;
  int64_t progressTotal = 0;  // as last reported
  int64_t received = 0;
  int64_t lastProgressPostMs = 0;
  bool resuming = false;    // the request carries a Range line
  ByteRange requested;      // that line's range
  int64_t resumeOffset = 0;  // where the file continues; 0 when not resuming
  DownloadFile file;
  std::string checksum;  // expected MD5, any case
  int64_t batchId = 0;
  int32_t priority = 0;
  int64_t expectSize = 0;
  std::wstring dest;  // empty: no rename
  bool renamed = false;
  VemoLimitHttpSpeed::Pace pace;
  bool digestHeld = false;  // paused until the file's digest catches up
  int64_t lastDataMs = 0;  // when bytes last arrived (or the transfer began)
  bool networkDown = false;
  bool rangeMismatch = false;
};

}  // namespace VemoSDKHttp
