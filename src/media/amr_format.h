#pragma once
// The AMR storage format of the voice records: a magic line, then frames of
// one header byte (mode in bits 3-6) and the codec's bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace VemoSDK::Media {

constexpr char kAmrNbMagic[] = "#!AMR\n";     // 6 bytes, narrow-band
constexpr char kAmrWbMagic[] = "#!AMR-WB\n";  // 9 bytes, wide-band
constexpr size_t kAmrNbMagicSize = sizeof kAmrNbMagic - 1;
constexpr size_t kAmrWbMagicSize = sizeof kAmrWbMagic - 1;

constexpr int kNbFrameSamples = 160;  // 20 ms at 8000 Hz
constexpr int kWbFrameSamples = 320;  // 20 ms at 16000 Hz
constexpr int kNbRecordMode = 7;      // 12.2 kbit/s
constexpr int kWbRecordMode = 8;      // 23.85 kbit/s

enum class AmrKind { kNone, kNarrow, kWide };

// The kind a file's first bytes announce.
AmrKind amr_kind_of(const uint8_t* data, size_t size);

inline int amr_mode_of(uint8_t header) { return (header >> 3) & 0x0f; }

// Bytes after the header byte of a wide-band frame: -1 for the modes that
// cannot be decoded (decoding stops there), 0 for an empty frame.
int amr_wb_frame_payload(int mode);

// Bytes of a narrow-band frame, header byte included.
int amr_nb_frame_size(int mode);

}  // namespace VemoSDK::Media
