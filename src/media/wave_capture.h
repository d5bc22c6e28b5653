#pragma once
// Capture from the default wave-in device into one PCM store. The device
// signals an event; a capture thread of our own moves each filled buffer
// into the store and queues it again (the device's own callback may not
// call back into the device).
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/owners.h"

namespace VemoSDK::Media {

WAVEFORMATEX pcm16_format(int channels, int sample_rate);

// Owned by the thread that opens it (the Lua thread); the capture thread
// only touches the buffers and the store, the store under its lock.
class WaveCapture {
public:
  enum class OpenResult { kOpened, kRefused };

  WaveCapture() = default;
  ~WaveCapture() { close(); }
  WaveCapture(const WaveCapture&) = delete;
  WaveCapture& operator=(const WaveCapture&) = delete;

  // Opens the default device and starts capturing, buffer_bytes per buffer.
  OpenResult start(const WAVEFORMATEX& format, size_t buffer_bytes);
  // Stops capturing and gives every byte captured; the device is closed.
  std::vector<uint8_t> stop();
  bool running() const { return device_ != nullptr; }
  size_t capturedBytes();

private:
  void captureLoop();
  void close();

  HWAVEIN device_ = nullptr;
  vemo::UniqueHandle ready_;                  // signalled by the device
  std::vector<std::unique_ptr<WAVEHDR>> headers_;
  std::vector<std::vector<char>> buffers_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::mutex store_lock_;
  std::vector<uint8_t> store_;  // guarded by store_lock_
};

}  // namespace VemoSDK::Media
