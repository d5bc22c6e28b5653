#pragma once
// Playback of one AMR record at a time through the default wave-out device,
// on a thread of its own. start/stop come from the Lua thread; the thread
// and stop share the output handle under one mutex.
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace VemoSDK::Media {

class VoicePlayer {
public:
  ~VoicePlayer();

  bool playing() const { return playing_; }
  // Starts the thread for an existing file; false when one already plays.
  // When the file ends by itself, "MEDIA_PLAY" is posted to callback_id.
  bool start(const std::wstring& path, double volume, int64_t callback_id);
  // Stops a running playback and waits for its thread; false when nothing played.
  bool stop();

private:
  void run(std::wstring path, double volume, int64_t callback_id);
  // Under lock_: resets and closes the output when it is still open.
  void closeOutputLocked();

  std::atomic<bool> playing_{false};
  std::mutex lock_;
  std::condition_variable wake_;
  HWAVEOUT output_ = nullptr;  // guarded by lock_
  WAVEHDR header_ = {};        // guarded by lock_: the one buffer of samples_
  bool stopped_ = false;       // guarded by lock_: stop() ended this playback
  std::vector<int16_t> samples_;
  std::thread thread_;
};

}  // namespace VemoSDK::Media
