#pragma once
// Recording from the default microphone into an AMR record: narrow-band at
// 8000 Hz, wide-band at 16000 Hz, mono. Lua thread only.
#include "media/amr_codec.h"
#include "media/wave_capture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VemoSDK::Media {

struct RecordRequest {
  std::string filename;  // already made safe
  std::string format;
  int sampling_rate = 8000;
  int channels = 1;
};

// A recording's outcome: code 0 and the file, or a code and its message.
struct RecordStart {
  int code = 0;
  const char* message = "";
};

struct RecordResult {
  bool recorded = false;  // false: nothing was being recorded
  int code = 0;
  std::string message;
  std::string filename;  // name "." format
  std::string format;
  int sampling_rate = 0;
  std::vector<uint8_t> file;
};

class VoiceRecorder {
public:
  RecordStart start(const RecordRequest& request);
  RecordResult stop();
  bool recording() const { return capture_.running(); }
  // Bytes of PCM captured so far (for tests that time a recording).
  size_t capturedBytes() { return capture_.capturedBytes(); }

private:
  WaveCapture capture_;
  std::unique_ptr<AmrEncoder> encoder_;
  std::wstring path_;
  RecordRequest request_;
};

}  // namespace VemoSDK::Media
