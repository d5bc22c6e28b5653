#include "media/amr_codec.h"

#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrnb/interf_enc.h>
#include <opencore-amrwb/dec_if.h>
#include <vo-amrwbenc/enc_if.h>

namespace VemoSDK::Media {

std::unique_ptr<AmrEncoder> AmrEncoder::create(bool wide_band) {
  void* state = wide_band ? E_IF_init() : Encoder_Interface_init(0);
  if (!state) return nullptr;
  return std::unique_ptr<AmrEncoder>(new AmrEncoder(state, wide_band));
}

AmrEncoder::~AmrEncoder() {
  if (wide_)
    E_IF_exit(state_);
  else
    Encoder_Interface_exit(state_);
}

bool AmrEncoder::encodeFrame(const int16_t* samples, std::vector<uint8_t>& out) {
  uint8_t frame[64];  // the largest frame: 61 bytes wide-band, 32 narrow-band
  int size = wide_ ? E_IF_encode(state_, kWbRecordMode, samples, frame, 0)
                   : Encoder_Interface_Encode(state_, static_cast<Mode>(kNbRecordMode), samples, frame, 0);
  if (size <= 0 || size > static_cast<int>(sizeof frame)) return false;
  out.insert(out.end(), frame, frame + size);
  return true;
}

namespace {

struct NbDecoderState {
  void* state = Decoder_Interface_init();
  ~NbDecoderState() {
    if (state) Decoder_Interface_exit(state);
  }
};

struct WbDecoderState {
  void* state = D_IF_init();
  ~WbDecoderState() {
    if (state) D_IF_exit(state);
  }
};

// Wide-band: frame after frame, each sized by its own header byte.
void decode_wide(const std::vector<uint8_t>& data, std::vector<int16_t>& samples) {
  WbDecoderState decoder;
  if (!decoder.state) return;
  int16_t frame[kWbFrameSamples];
  size_t at = kAmrWbMagicSize;
  while (at < data.size()) {
    int payload = amr_wb_frame_payload(amr_mode_of(data[at]));
    if (payload < 0 || at + 1 + payload > data.size()) break;
    D_IF_decode(decoder.state, &data[at], frame, 0);
    samples.insert(samples.end(), frame, frame + kWbFrameSamples);
    at += 1 + payload;
  }
}

// Narrow-band: the first frame's header byte fixes the size of every frame;
// each next frame starts at the next byte equal to that header after the
// frame before it.
void decode_narrow(const std::vector<uint8_t>& data, std::vector<int16_t>& samples) {
  NbDecoderState decoder;
  if (!decoder.state || data.size() <= kAmrNbMagicSize) return;
  int16_t frame[kNbFrameSamples];
  const uint8_t header = data[kAmrNbMagicSize];
  const size_t frame_size = static_cast<size_t>(amr_nb_frame_size(amr_mode_of(header)));
  size_t at = kAmrNbMagicSize;
  while (at + frame_size <= data.size()) {
    Decoder_Interface_Decode(decoder.state, &data[at], frame, 0);
    samples.insert(samples.end(), frame, frame + kNbFrameSamples);
    at += frame_size;
    while (at < data.size() && data[at] != header) ++at;
  }
}

}  // namespace

DecodedAmr decode_amr(const std::vector<uint8_t>& data) {
  DecodedAmr decoded;
  decoded.kind = amr_kind_of(data.data(), data.size());
  if (decoded.kind == AmrKind::kWide) {
    decoded.sample_rate = 16000;
    decode_wide(data, decoded.samples);
  } else if (decoded.kind == AmrKind::kNarrow) {
    decoded.sample_rate = 8000;
    decode_narrow(data, decoded.samples);
  }
  return decoded;
}

}  // namespace VemoSDK::Media
