#include "strict_blocks.h"

#include <zlib.h>

#include "test_support.h"

namespace vemo::test {

namespace {

bool inflate_whole(const unsigned char* data, size_t length, std::string& text) {
  z_stream stream{};
  if (inflateInit2(&stream, 31) != Z_OK) return false;
  stream.next_in = const_cast<unsigned char*>(data);
  stream.avail_in = static_cast<uInt>(length);
  unsigned char out[4096];
  int result;
  do {
    stream.next_out = out;
    stream.avail_out = sizeof out;
    result = inflate(&stream, Z_NO_FLUSH);
    text.append(reinterpret_cast<char*>(out), sizeof out - stream.avail_out);
  } while (result == Z_OK);
  bool ok = result == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  return ok;
}

}  // namespace

bool read_strict_blocks(const std::string& bytes, std::vector<StrictBlock>& blocks, std::string& reason) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t at = 0;
  while (at < bytes.size()) {
    std::string where = "block " + std::to_string(blocks.size()) + " at " + std::to_string(at) + ": ";
    if (bytes.size() - at < 6) return reason = where + "cut short", false;
    if (p[at] != 0x01) return reason = where + "no start byte", false;
    size_t length = size_t(p[at + 1]) << 24 | size_t(p[at + 2]) << 16 | size_t(p[at + 3]) << 8 | p[at + 4];
    if (length == 0 || length % 16 != 0) return reason = where + "length " + std::to_string(length), false;
    if (at + 5 + length + 1 > bytes.size()) return reason = where + "runs past the file", false;
    const unsigned char* data = p + at + 5;
    if (data[length] != 0x00) return reason = where + "no end byte", false;
    StrictBlock block;
    block.length = length;
    block.padding = data[length - 1];
    if (block.padding < 1 || block.padding > 16) return reason = where + "padding value", false;
    for (size_t i = length - block.padding; i < length; ++i)
      if (data[i] != block.padding) return reason = where + "padding bytes", false;
    if (!inflate_whole(data, length - block.padding, block.text)) return reason = where + "not one gzip member", false;
    blocks.push_back(block);
    at += 5 + length + 1;
  }
  return true;
}

bool read_strict_log_file(const std::string& path, std::vector<StrictBlock>& blocks, std::string& reason) {
  std::string bytes;
  if (!read_file(path, bytes)) return reason = "cannot read " + path, false;
  return read_strict_blocks(bytes, blocks, reason);
}

std::string strict_log_text(const std::string& path) {
  std::vector<StrictBlock> blocks;
  std::string reason;
  if (!read_strict_log_file(path, blocks, reason)) return "<broken: " + reason + ">";
  std::string text;
  for (const StrictBlock& block : blocks) text += block.text;
  return text;
}

}  // namespace vemo::test
