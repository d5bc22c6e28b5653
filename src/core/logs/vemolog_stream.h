#pragma once
// One log file and the compressed block being built for it in memory.
// Owned by a VemoLog; used by the log writer thread only.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/logs/log_block_format.h"
#include "core/owners.h"

namespace vemo::logs {

class VemoLogStream {
public:
  VemoLogStream();  // allocates the block buffer (std::bad_alloc when it cannot)
  ~VemoLogStream();
  VemoLogStream(const VemoLogStream&) = delete;
  VemoLogStream& operator=(const VemoLogStream&) = delete;

  // Writes out what the previous file still held, then opens `path` for
  // appending. On failure the stream stays closed. A VemoLogResult.
  int open(const std::wstring& path);
  // Writes out the pending block and closes the file.
  void close();
  bool is_open() const { return file_ != nullptr; }
  const std::wstring& path() const { return path_; }
  std::int64_t file_size() const { return file_size_; }

  // A VemoLogResult: adds the text and "\n" to the block.
  int write(const std::string& text, std::int64_t max_file_size);
  // Completes the block being built and appends it to the file; false when
  // the file could not take it (the stream is then closed).
  bool write_out();

private:
  enum class Block { kEmpty, kCompressing, kFinished };

  void begin_block();
  bool deflate_into_block(const unsigned char* data, std::size_t length, int flush);
  bool place(const unsigned char* data, std::size_t length);
  bool finish_block();
  bool append_to_file();
  bool reopen_if_removed();

  std::vector<unsigned char> buffer_;
  std::size_t pending_ = 0;       // bytes of the block in the buffer, header included
  std::size_t block_length_ = 0;  // compressed bytes placed after the header
  unsigned char tail_[kBlockUnit] = {};
  std::size_t tail_length_ = 0;   // compressed bytes waiting for a whole unit
  Block block_ = Block::kEmpty;
  z_stream compressor_{};
  bool compressor_started_ = false;

  UniqueFile file_;
  std::wstring path_;
  std::int64_t file_size_ = 0;
};

}  // namespace vemo::logs
