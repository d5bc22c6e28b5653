#pragma once
// The AMR codecs behind one small interface: the narrow-band encoder and
// decoder of opencore-amr, its wide-band decoder and the VisualOn wide-band
// encoder.
#include "media/amr_format.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace VemoSDK::Media {

// One encoder state; frames go in 20 ms at a time.
class AmrEncoder {
public:
  // Null when the codec cannot make a state.
  static std::unique_ptr<AmrEncoder> create(bool wide_band);
  ~AmrEncoder();
  AmrEncoder(const AmrEncoder&) = delete;
  AmrEncoder& operator=(const AmrEncoder&) = delete;

  bool wideBand() const { return wide_; }
  int frameSamples() const { return wide_ ? kWbFrameSamples : kNbFrameSamples; }
  const char* magic() const { return wide_ ? kAmrWbMagic : kAmrNbMagic; }
  size_t magicSize() const { return wide_ ? kAmrWbMagicSize : kAmrNbMagicSize; }

  // Encodes one frame of frameSamples() samples and appends it (header
  // byte first) to out; false when the codec gave nothing.
  bool encodeFrame(const int16_t* samples, std::vector<uint8_t>& out);

private:
  AmrEncoder(void* state, bool wide) : state_(state), wide_(wide) {}
  void* state_;
  bool wide_;
};

struct DecodedAmr {
  AmrKind kind = AmrKind::kNone;  // kNone: the data has neither magic line
  int sample_rate = 0;            // 8000 or 16000
  std::vector<int16_t> samples;
};

// Decodes a whole AMR file held in memory.
DecodedAmr decode_amr(const std::vector<uint8_t>& data);

}  // namespace VemoSDK::Media
