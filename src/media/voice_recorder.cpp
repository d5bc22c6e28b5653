#include "media/voice_recorder.h"

#include "core/debug_log.h"
#include "core/file_utils.h"
#include "core/text_convert.h"
#include "media/voice_codes.h"
#include "media/voice_records.h"

namespace VemoSDK::Media {

RecordStart VoiceRecorder::start(const RecordRequest& request) {
  if (recording()) return {kVoiceBusy, "media is recording"};
  if (request.filename.empty() || request.format.empty()) return {kVoiceBadRequest, "filename and format are required"};
  // The codecs take 20 ms frames of mono speech at these two rates only.
  if ((request.sampling_rate != 8000 && request.sampling_rate != 16000) || request.channels != 1)
    return {kVoiceDeviceUnavailable, "only mono at 8000 or 16000 Hz can be recorded"};
  if (waveInGetNumDevs() == 0) {
    vemo_debug_printf("[recorder]StartRecording Error microphone is not available");
    return {kVoiceNoMicrophone, "microphone is not available"};
  }

  WAVEFORMATEX format = pcm16_format(request.channels, request.sampling_rate);
  if (waveInOpen(nullptr, WAVE_MAPPER, &format, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR)
    return {kVoiceDeviceUnavailable, "device is not available"};
  std::unique_ptr<AmrEncoder> encoder = AmrEncoder::create(request.sampling_rate != 8000);
  if (!encoder) return {kVoiceDeviceUnavailable, "encoder is not available"};
  size_t frame_bytes = static_cast<size_t>(encoder->frameSamples()) * 2;
  if (capture_.start(format, frame_bytes) != WaveCapture::OpenResult::kOpened)
    return {kVoiceDeviceUnavailable, "device is not available"};

  encoder_ = std::move(encoder);
  request_ = request;
  path_ = utf8_to_wstring(records_folder() + request.filename + "." + request.format);
  return {};
}

RecordResult VoiceRecorder::stop() {
  RecordResult result;
  if (!recording() || !encoder_) {
    result.code = kVoiceNoResult;
    result.message = "no record result";
    return result;
  }
  std::vector<uint8_t> pcm = capture_.stop();
  std::unique_ptr<AmrEncoder> encoder = std::move(encoder_);
  result.recorded = true;
  result.filename = request_.filename + "." + request_.format;
  result.format = request_.format;
  result.sampling_rate = request_.sampling_rate;

  const char* magic = encoder->magic();
  result.file.assign(magic, magic + encoder->magicSize());
  // Whole frames only: a trailing part of a frame is dropped.
  size_t frame_bytes = static_cast<size_t>(encoder->frameSamples()) * 2;
  std::vector<int16_t> frame(static_cast<size_t>(encoder->frameSamples()));
  for (size_t at = 0; at + frame_bytes <= pcm.size(); at += frame_bytes) {
    for (size_t i = 0; i < frame.size(); ++i)
      frame[i] = static_cast<int16_t>(pcm[at + 2 * i] | (pcm[at + 2 * i + 1] << 8));
    encoder->encodeFrame(frame.data(), result.file);
  }
  std::string path = wstring_to_utf8(path_);
  path_.clear();
  if (vemo_write_file(path.c_str(), result.file.data(), result.file.size(), 0) != 1) {
    vemo_debug_printf("[recorder]StopRecording cannot write %s", path.c_str());
    result.code = kVoiceDeviceUnavailable;
    result.message = "cannot write the record file";
  }
  return result;
}

}  // namespace VemoSDK::Media
