#pragma once
// The layout of a compressed log file, shared by the writer and the reader.
//
// A file is a sequence of blocks, appended to whatever it held:
//   0x01 | L (4 bytes, big-endian, a multiple of 16) | L bytes | 0x00
// The L bytes are one gzip member (deflate level 9, window bits 31, memory
// level 8) holding the block's records, each followed by "\n", then padding:
// the last 16-byte unit ends with n bytes of value n (1 to 16).
#include <cstddef>
#include <cstdint>

namespace vemo::logs {

constexpr unsigned char kBlockStart = 0x01;
constexpr unsigned char kBlockEnd = 0x00;
constexpr std::size_t kBlockHeaderSize = 5;  // start byte and length
constexpr std::size_t kBlockUnit = 16;
constexpr std::size_t kBlockCloseLength = 5120;  // a block this long is completed
constexpr std::size_t kBlockBufferSize = 153600;
constexpr std::size_t kRecordPieceSize = 20480;  // records are deflated in pieces this long
constexpr std::size_t kDeflateOutputSize = 16384;

constexpr int kDeflateLevel = 9;
constexpr int kGzipWindowBits = 31;  // 15 and the gzip wrapper
constexpr int kDeflateMemoryLevel = 8;

inline void put_block_length(unsigned char* header, std::uint32_t length) {
  header[1] = static_cast<unsigned char>(length >> 24);
  header[2] = static_cast<unsigned char>(length >> 16);
  header[3] = static_cast<unsigned char>(length >> 8);
  header[4] = static_cast<unsigned char>(length);
}

inline std::uint32_t get_block_length(const unsigned char* header) {
  return static_cast<std::uint32_t>(header[1]) << 24 | static_cast<std::uint32_t>(header[2]) << 16 |
         static_cast<std::uint32_t>(header[3]) << 8 | static_cast<std::uint32_t>(header[4]);
}

}  // namespace vemo::logs
