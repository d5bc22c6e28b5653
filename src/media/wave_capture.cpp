#include "media/wave_capture.h"

#include <new>

namespace VemoSDK::Media {

namespace {

constexpr size_t kQueuedBuffers = 10;  // 200 ms of room while the thread catches up

}  // namespace

WAVEFORMATEX pcm16_format(int channels, int sample_rate) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = static_cast<DWORD>(sample_rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(channels * 2);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  return format;
}

WaveCapture::OpenResult WaveCapture::start(const WAVEFORMATEX& format, size_t buffer_bytes) {
  close();
  ready_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!ready_) return OpenResult::kRefused;
  if (waveInOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(ready_.get()), 0,
                 CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    device_ = nullptr;
    return OpenResult::kRefused;
  }
  {
    std::lock_guard<std::mutex> lock(store_lock_);
    store_.clear();
  }
  stopping_ = false;
  for (size_t i = 0; i < kQueuedBuffers; ++i) {
    buffers_.emplace_back(buffer_bytes);
    auto header = std::make_unique<WAVEHDR>();
    *header = {};
    header->lpData = buffers_.back().data();
    header->dwBufferLength = static_cast<DWORD>(buffer_bytes);
    if (waveInPrepareHeader(device_, header.get(), sizeof(WAVEHDR)) != MMSYSERR_NOERROR ||
        waveInAddBuffer(device_, header.get(), sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
      headers_.push_back(std::move(header));
      close();
      return OpenResult::kRefused;
    }
    headers_.push_back(std::move(header));
  }
  thread_ = std::thread([this] { captureLoop(); });
  if (waveInStart(device_) != MMSYSERR_NOERROR) {
    close();
    return OpenResult::kRefused;
  }
  return OpenResult::kOpened;
}

void WaveCapture::captureLoop() {
  // Buffers come back in the order they were queued.
  size_t next = 0;
  for (;;) {
    WaitForSingleObject(ready_.get(), 50);
    bool stopping = stopping_.load();
    size_t done_in_a_row = 0;
    while (done_in_a_row < headers_.size()) {
      WAVEHDR* header = headers_[next].get();
      if (!(header->dwFlags & WHDR_DONE)) break;
      try {
        std::lock_guard<std::mutex> lock(store_lock_);
        store_.insert(store_.end(), header->lpData, header->lpData + header->dwBytesRecorded);
      } catch (const std::bad_alloc&) {
        // Out of memory: this buffer's sound is lost, the capture goes on.
      }
      header->dwFlags &= ~WHDR_DONE;
      header->dwBytesRecorded = 0;
      if (!stopping) waveInAddBuffer(device_, header, sizeof(WAVEHDR));
      next = (next + 1) % headers_.size();
      ++done_in_a_row;
    }
    if (stopping) return;
  }
}

size_t WaveCapture::capturedBytes() {
  std::lock_guard<std::mutex> lock(store_lock_);
  return store_.size();
}

std::vector<uint8_t> WaveCapture::stop() {
  close();
  std::lock_guard<std::mutex> lock(store_lock_);
  return std::move(store_);
}

void WaveCapture::close() {
  if (device_) {
    // Reset hands every queued buffer back as done; the thread then takes
    // what they hold and queues nothing more.
    waveInStop(device_);
    waveInReset(device_);
  }
  stopping_ = true;
  if (ready_) SetEvent(ready_.get());
  if (thread_.joinable()) thread_.join();
  if (device_) {
    waveInReset(device_);  // a buffer queued again just before the thread saw the flag
    for (auto& header : headers_) {
      if (header->dwFlags & WHDR_PREPARED) waveInUnprepareHeader(device_, header.get(), sizeof(WAVEHDR));
    }
    waveInClose(device_);
    device_ = nullptr;
  }
  headers_.clear();
  buffers_.clear();
}

}  // namespace VemoSDK::Media
