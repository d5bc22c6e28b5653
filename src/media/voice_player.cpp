#include "media/voice_player.h"

#include "core/debug_log.h"
#include "core/lua_task_queue.h"
#include "core/owners.h"
#include "core/text_convert.h"
#include "media/amr_codec.h"
#include "media/wave_capture.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace VemoSDK::Media {

namespace {

constexpr char kMediaPlayEvent[] = "MEDIA_PLAY";

bool read_whole(const std::wstring& path, std::vector<uint8_t>& data) {
  vemo::UniqueFile file(_wfopen(path.c_str(), L"rb"));
  if (!file) {
    vemo_debug_printf("[recorder]open file failed %s", std::strerror(errno));
    return false;
  }
  uint8_t chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) data.insert(data.end(), chunk, chunk + got);
  return true;
}

void apply_volume(std::vector<int16_t>& samples, double volume) {
  if (volume >= 1) return;
  for (int16_t& sample : samples) {
    double scaled = sample * volume;
    sample = static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
  }
}

}  // namespace

VoicePlayer::~VoicePlayer() { stop(); }

bool VoicePlayer::start(const std::wstring& path, double volume, int64_t callback_id) {
  if (playing_) return false;
  if (thread_.joinable()) thread_.join();  // an earlier playback that ended by itself
  {
    std::lock_guard<std::mutex> lock(lock_);
    stopped_ = false;
  }
  playing_ = true;
  thread_ = std::thread([this, path, volume, callback_id] {
    try {
      run(path, volume, callback_id);
    } catch (const std::bad_alloc&) {
      vemo_debug_printf("[recorder]FAILE to load data");
      std::lock_guard<std::mutex> lock(lock_);
      closeOutputLocked();
      playing_ = false;
    }
  });
  return true;
}

bool VoicePlayer::stop() {
  if (!playing_) {
    if (thread_.joinable()) thread_.join();
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(lock_);
    closeOutputLocked();
    stopped_ = true;
  }
  wake_.notify_all();
  // Joined without the lock: the thread takes it to clean up.
  if (thread_.joinable()) thread_.join();
  return true;
}

void VoicePlayer::closeOutputLocked() {
  if (!output_) return;
  vemo_debug_printf("[Audio]hWaveOut=%p clear", static_cast<void*>(output_));
  waveOutReset(output_);
  if (header_.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(output_, &header_, sizeof header_);
  waveOutClose(output_);
  output_ = nullptr;
}

void VoicePlayer::run(std::wstring path, double volume, int64_t callback_id) {
  std::vector<uint8_t> data;
  DecodedAmr decoded;
  if (read_whole(path, data)) {
    decoded = decode_amr(data);
    if (decoded.kind == AmrKind::kNone) vemo_debug_printf("[recorder]Bad header");
  }
  bool played = false;
  if (!decoded.samples.empty()) {
    samples_ = std::move(decoded.samples);
    apply_volume(samples_, volume);
    WAVEFORMATEX format = pcm16_format(1, decoded.sample_rate);
    std::unique_lock<std::mutex> lock(lock_);
    if (!stopped_ && waveOutOpen(&output_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR) {
      header_ = {};
      header_.lpData = reinterpret_cast<LPSTR>(samples_.data());
      header_.dwBufferLength = static_cast<DWORD>(samples_.size() * sizeof(int16_t));
      if (waveOutPrepareHeader(output_, &header_, sizeof header_) == MMSYSERR_NOERROR &&
          waveOutWrite(output_, &header_, sizeof header_) == MMSYSERR_NOERROR) {
        played = true;
        // Poll every 100 ms until the buffer is done or stop closes the output.
        while (output_ && !stopped_ && !(header_.dwFlags & WHDR_DONE))
          wake_.wait_for(lock, std::chrono::milliseconds(100));
      }
    } else {
      output_ = nullptr;
      vemo_debug_printf("[recorder]cannot open the wave output");
    }
  }
  bool ended_by_itself;
  {
    std::lock_guard<std::mutex> lock(lock_);
    closeOutputLocked();
    samples_.clear();
    ended_by_itself = played && !stopped_;
    playing_ = false;
  }
  if (ended_by_itself) LuaTaskQueue::getInstance()->postEvent(kMediaPlayEvent, callback_id, nullptr, nullptr, 0);
}

}  // namespace VemoSDK::Media
