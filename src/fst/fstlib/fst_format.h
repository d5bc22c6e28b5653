#pragma once
// The byte layout shared by the FST compiler and reader. Records are read
// from their flag byte (their highest address) downwards:
//   [state output][its length] [output][its length] [delta] [character] flag
// The footer at the very end is the character table, the root address
// (4 bytes little-endian) and the header byte.
#include <cstddef>
#include <cstdint>

namespace VemoSDK::Fst {

constexpr unsigned char kFlagNext = 0x01;         // target is the record block directly below
constexpr unsigned char kFlagLast = 0x02;         // last arc of its state
constexpr unsigned char kFlagFinal = 0x04;        // a key ends after this arc
constexpr unsigned char kFlagOutput = 0x08;       // an output follows
constexpr unsigned char kFlagStateOutput = 0x10;  // a state output follows
constexpr int kCharIndexShift = 5;
constexpr int kIndexedChars = 7;  // character indexes 1-7 fit in the flag

// Markers of a jump table, standing where a state's first flag would.
constexpr unsigned char kJumpTableMarker1 = 254;  // 1-byte entries
constexpr unsigned char kJumpTableMarker2 = 255;  // 2-byte entries
constexpr size_t kJumpTableMinArcs = 8;

constexpr unsigned char kOutputTypeMask = 0x07;
constexpr unsigned char kOutputTypeStrings = 3;
constexpr unsigned char kHeaderSmallTable = 0x08;
constexpr unsigned char kHeader = kOutputTypeStrings | kHeaderSmallTable;  // what the compiler writes
constexpr size_t kSmallCharTable = 8;
constexpr size_t kRootAddressSize = 4;

// The character table size that a header selects.
inline size_t charTableSize(unsigned char header) {
  if ((header & kOutputTypeMask) == 0) return 32;
  return (header & kHeaderSmallTable) ? kSmallCharTable : 16;
}

}  // namespace VemoSDK::Fst
