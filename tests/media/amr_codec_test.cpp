// The AMR records' framing and the codecs behind it, without a sound device.
#include "media/amr_codec.h"
#include "media/amr_format.h"
#include "media/voice_records.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace VemoSDK::Media;

constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> sine(int rate, int hz, int samples, double amplitude = 8000) {
  std::vector<int16_t> out(static_cast<size_t>(samples));
  for (int i = 0; i < samples; ++i) out[i] = static_cast<int16_t>(amplitude * std::sin(2 * kPi * hz * i / rate));
  return out;
}

// The frequency among 100 Hz steps with the most energy (Goertzel).
int strongest_frequency(const std::vector<int16_t>& samples, int rate) {
  int best = 0;
  double best_power = -1;
  for (int hz = 100; hz < rate / 2; hz += 100) {
    double coefficient = 2 * std::cos(2 * kPi * hz / rate), s1 = 0, s2 = 0;
    for (int16_t x : samples) {
      double s0 = x + coefficient * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    if (power > best_power) best_power = power, best = hz;
  }
  return best;
}

std::vector<uint8_t> encode(bool wide, const std::vector<int16_t>& pcm) {
  auto encoder = AmrEncoder::create(wide);
  EXPECT_TRUE(encoder);
  if (!encoder) return {};
  std::vector<uint8_t> file(encoder->magic(), encoder->magic() + encoder->magicSize());
  size_t frame = static_cast<size_t>(encoder->frameSamples());
  for (size_t at = 0; at + frame <= pcm.size(); at += frame) EXPECT_TRUE(encoder->encodeFrame(&pcm[at], file));
  return file;
}

TEST(AmrFormat, FrameSizesFollowTheModeInTheHeaderByte) {
  const int nb_sizes[8] = {13, 14, 16, 18, 20, 21, 27, 32};
  for (int mode = 0; mode < 8; ++mode) EXPECT_EQ(nb_sizes[mode], amr_nb_frame_size(mode)) << mode;
  const int wb_payloads[16] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5, -1, -1, -1, -1, -1, 0};
  for (int mode = 0; mode < 16; ++mode) EXPECT_EQ(wb_payloads[mode], amr_wb_frame_payload(mode)) << mode;
  EXPECT_EQ(7, amr_mode_of(0x3c));
}

TEST(AmrFormat, TheMagicLineNamesTheKind) {
  const struct {
    std::string bytes;
    AmrKind kind;
  } cases[] = {
      {"#!AMR\n\x3c", AmrKind::kNarrow}, {"#!AMR-WB\n\x44", AmrKind::kWide}, {"#!AMR-WB", AmrKind::kNone},
      {"#!AMR", AmrKind::kNone},         {"RIFF....WAVE", AmrKind::kNone},   {"", AmrKind::kNone},
  };
  for (const auto& c : cases) {
    auto bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
    EXPECT_EQ(c.kind, amr_kind_of(bytes, c.bytes.size())) << c.bytes;
  }
}

TEST(AmrCodec, OneSecondOfToneMakesFiftyFramesThatDecodeBackToTheTone) {
  const struct {
    bool wide;
    int rate;
    const char* magic;
    size_t file_size;
  } cases[] = {{false, 8000, "#!AMR\n", 1606}, {true, 16000, "#!AMR-WB\n", 3059}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    // A trailing part of a frame is not encoded.
    std::vector<uint8_t> file = encode(c.wide, sine(c.rate, 1000, c.rate + 100));
    ASSERT_EQ(c.file_size, file.size());
    EXPECT_EQ(c.magic, std::string(file.begin(), file.begin() + std::string(c.magic).size()));
    DecodedAmr decoded = decode_amr(file);
    EXPECT_EQ(c.rate, decoded.sample_rate);
    ASSERT_EQ(static_cast<size_t>(c.rate), decoded.samples.size());
    EXPECT_EQ(1000, strongest_frequency(decoded.samples, c.rate));
  }
}

TEST(AmrCodec, DecodingStopsAtAFrameItCannotReadAndKeepsWhatCameBefore) {
  std::vector<uint8_t> wide = encode(true, sine(16000, 500, 16000));
  std::vector<uint8_t> narrow = encode(false, sine(8000, 500, 8000));
  const struct {
    const char* name;
    std::vector<uint8_t> data;
    size_t samples;
  } cases[] = {
      // The 11th wide-band frame gets mode 10, which has no size.
      {"wide-band mode 10", [&] { auto d = wide; d[9 + 10 * 61] = 10 << 3; return d; }(), 10 * 320},
      {"wide-band cut in a frame", std::vector<uint8_t>(wide.begin(), wide.end() - 30), 49 * 320},
      {"narrow-band cut in a frame", std::vector<uint8_t>(narrow.begin(), narrow.end() - 1), 49 * 160},
      {"magic line only", std::vector<uint8_t>(narrow.begin(), narrow.begin() + 6), 0},
      {"no magic line", std::vector<uint8_t>(narrow.begin() + 6, narrow.end()), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.samples, decode_amr(c.data).samples.size()) << c.name;
}

TEST(RecordNames, PathCharactersCannotLeaveTheRecordsFolder) {
  const struct {
    const char* name;
    const char* safe;
  } cases[] = {
      {"voice_01", "voice_01"},     {"..\\..\\evil", ".._.._evil"}, {"a/b", "a_b"},
      {"c:\\x", "c__x"},            {"*?\"<>|", "______"},          {"tab\there", "tab_here"},
      {"\xe8\xaf\xad\xe9\x9f\xb3", "\xe8\xaf\xad\xe9\x9f\xb3"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.safe, safe_record_name(c.name)) << c.name;
}

}  // namespace
