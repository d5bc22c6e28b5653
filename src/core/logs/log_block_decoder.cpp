#include "core/logs/log_block_decoder.h"

#include <zlib.h>

#include <cstdint>

#include "core/logs/log_block_format.h"

namespace vemo::logs {

namespace {

// Inflates exactly one gzip member that fills the whole input.
bool gunzip_member(const unsigned char* data, std::size_t length, std::string& text) {
  z_stream stream{};
  if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) return false;
  stream.next_in = const_cast<unsigned char*>(data);
  stream.avail_in = static_cast<uInt>(length);
  unsigned char output[kDeflateOutputSize];
  int result = Z_OK;
  while (result == Z_OK) {
    stream.next_out = output;
    stream.avail_out = sizeof output;
    result = inflate(&stream, Z_NO_FLUSH);
    text.append(reinterpret_cast<const char*>(output), sizeof output - stream.avail_out);
  }
  bool whole = result == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  return whole;
}

}  // namespace

bool decode_log_block(const unsigned char* data, std::size_t available, std::string& text,
                      std::size_t& block_size) {
  if (available < kBlockHeaderSize + 1 || data[0] != kBlockStart) return false;
  std::uint32_t length = get_block_length(data);
  if (length == 0 || length % kBlockUnit != 0) return false;
  if (length > available - kBlockHeaderSize - 1) return false;
  const unsigned char* member = data + kBlockHeaderSize;
  if (member[length] != kBlockEnd) return false;
  unsigned char padding = member[length - 1];
  if (padding < 1 || padding > kBlockUnit) return false;
  for (std::size_t i = length - padding; i < length; ++i) {
    if (member[i] != padding) return false;
  }
  std::string decoded;
  if (!gunzip_member(member, length - padding, decoded)) return false;
  text.swap(decoded);
  block_size = kBlockHeaderSize + length + 1;
  return true;
}

LogDecodeSummary decode_log_blocks(const std::string& bytes,
                                   const std::function<void(const std::string& text)>& on_block) {
  LogDecodeSummary summary;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t offset = 0;
  while (offset < bytes.size()) {
    std::string text;
    std::size_t block_size = 0;
    if (decode_log_block(data + offset, bytes.size() - offset, text, block_size)) {
      ++summary.blocks;
      on_block(text);
      offset += block_size;
    } else {
      ++summary.skipped_bytes;  // look for the next block one byte further on
      ++offset;
    }
  }
  return summary;
}

}  // namespace vemo::logs
