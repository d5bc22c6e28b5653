#pragma once
// Reads compressed log files back (the reader tool, and checks of the writer).
#include <cstddef>
#include <functional>
#include <string>

namespace vemo::logs {

// Decodes the block starting at data: true with its records' text and the
// block's size in bytes when it is complete and valid (start byte, a length
// that is a multiple of 16, a gzip member that ends exactly at its padding,
// padding of n bytes of value n, end byte).
bool decode_log_block(const unsigned char* data, std::size_t available, std::string& text,
                      std::size_t& block_size);

struct LogDecodeSummary {
  std::size_t blocks = 0;
  std::size_t skipped_bytes = 0;  // bytes not in any valid block (a cut-off tail, damage)
};

// Decodes every valid block of a file's bytes in order, handing each block's
// text to on_block; what lies between valid blocks is skipped and counted.
LogDecodeSummary decode_log_blocks(const std::string& bytes,
                                   const std::function<void(const std::string& text)>& on_block);

}  // namespace vemo::logs
