#include "media/amr_format.h"

#include <cstring>

namespace VemoSDK::Media {

AmrKind amr_kind_of(const uint8_t* data, size_t size) {
  // The wide-band magic begins like the narrow-band one: test it first.
  if (size >= kAmrWbMagicSize && std::memcmp(data, kAmrWbMagic, kAmrWbMagicSize) == 0) return AmrKind::kWide;
  if (size >= kAmrNbMagicSize && std::memcmp(data, kAmrNbMagic, kAmrNbMagicSize) == 0) return AmrKind::kNarrow;
  return AmrKind::kNone;
}

int amr_wb_frame_payload(int mode) {
  static const int kPayload[16] = {17, 23, 32, 36, 40, 46, 50, 58, 60, 5, -1, -1, -1, -1, -1, 0};
  return mode >= 0 && mode < 16 ? kPayload[mode] : -1;
}

int amr_nb_frame_size(int mode) {
  static const int kBitRate[16] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200,
                                   6600, 8850, 12650, 14250, 15850, 18250, 19850, 23050};
  if (mode < 0 || mode >= 16) return 0;
  // round(rate / 400), halves up, plus the header byte.
  return (kBitRate[mode] + 200) / 400 + 1;
}

}  // namespace VemoSDK::Media
