#include "core/logs/vemolog_stream.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstring>

#include "core/file_utils.h"
#include "core/logs/vemolog.h"
#include "core/path_utils.h"

namespace vemo::logs {

namespace {

// Room kept free behind the placed units for the last, padded unit and the end byte.
constexpr std::size_t kBlockClosingRoom = kBlockUnit + 1;

// Opens a file for appending that others may still read, write, rename or
// delete (a deleted file is noticed and made again before the next block).
FILE* open_for_append(const std::wstring& path) {
  HANDLE handle = CreateFileW(to_long_path(path).c_str(), FILE_APPEND_DATA | GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_APPEND | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE* file = _fdopen(descriptor, "ab+");
  if (!file) _close(descriptor);
  return file;
}

std::int64_t length_of(FILE* file) { return _filelengthi64(_fileno(file)); }

}  // namespace

VemoLogStream::VemoLogStream() : buffer_(kBlockBufferSize) {}

VemoLogStream::~VemoLogStream() {
  close();
  if (compressor_started_) deflateEnd(&compressor_);
}

int VemoLogStream::open(const std::wstring& path) {
  close();
  if (path.empty()) return kOpenBadName;
  create_dirs_for_path_w(path);
  file_.reset(open_for_append(path));
  if (!file_) return kOpenCannotOpen;
  std::int64_t size = length_of(file_.get());
  file_size_ = size < 0 ? 0 : size;

  int started = compressor_started_
                    ? deflateReset(&compressor_)
                    : deflateInit2(&compressor_, kDeflateLevel, Z_DEFLATED, kGzipWindowBits, kDeflateMemoryLevel,
                                   Z_DEFAULT_STRATEGY);
  if (started != Z_OK) {
    file_.reset();
    return kOpenNoCompressor;
  }
  compressor_started_ = true;
  path_ = path;
  block_ = Block::kEmpty;
  begin_block();
  return kOpenDone;
}

void VemoLogStream::close() {
  if (file_) write_out();
  file_.reset();
  path_.clear();
  file_size_ = 0;
}

int VemoLogStream::write(const std::string& text, std::int64_t max_file_size) {
  if (!file_) return kWriteNotOpen;
  // A file can pass its limit by at most one block; then it takes no more.
  if (file_size_ > max_file_size) return kWriteOverSize;

  std::string record;
  try {
    record.reserve(text.size() + 1);
  } catch (const std::bad_alloc&) {
    return kWriteNoMemory;
  }
  record.append(text).push_back('\n');

  const auto* data = reinterpret_cast<const unsigned char*>(record.data());
  for (std::size_t offset = 0; offset < record.size();) {
    std::size_t piece = std::min(kRecordPieceSize, record.size() - offset);
    if (!deflate_into_block(data + offset, piece, Z_SYNC_FLUSH)) {
      begin_block();  // the block cannot be completed soundly: start clean
      return kWriteNoMemory;
    }
    offset += piece;
    put_block_length(buffer_.data(), static_cast<std::uint32_t>(block_length_));
    // The first record of an empty file reaches the disk at once, whole.
    bool record_done = offset == record.size();
    if (block_length_ >= kBlockCloseLength || (record_done && file_size_ == 0)) {
      if (!write_out()) return kWriteNotOpen;
    }
  }
  return kWriteDone;
}

bool VemoLogStream::write_out() {
  if (block_ == Block::kCompressing && !finish_block()) {
    begin_block();
    return false;
  }
  bool written = true;
  if (pending_ > kBlockHeaderSize) written = append_to_file();
  begin_block();
  return written;
}

void VemoLogStream::begin_block() {
  if (block_ != Block::kEmpty && compressor_started_) deflateReset(&compressor_);
  block_ = Block::kEmpty;
  tail_length_ = 0;
  block_length_ = 0;
  buffer_[0] = kBlockStart;
  put_block_length(buffer_.data(), 0);
  pending_ = kBlockHeaderSize;
}

bool VemoLogStream::deflate_into_block(const unsigned char* data, std::size_t length, int flush) {
  unsigned char output[kDeflateOutputSize];
  compressor_.next_in = const_cast<unsigned char*>(data);
  compressor_.avail_in = static_cast<uInt>(length);
  block_ = Block::kCompressing;
  for (;;) {
    compressor_.next_out = output;
    compressor_.avail_out = sizeof output;
    int result = deflate(&compressor_, flush);
    if (result == Z_STREAM_ERROR) return false;
    if (!place(output, sizeof output - compressor_.avail_out)) return false;
    bool done = flush == Z_FINISH ? result == Z_STREAM_END : compressor_.avail_out != 0;
    if (done) return true;
    if (result == Z_BUF_ERROR) return false;  // no progress possible
  }
}

bool VemoLogStream::place(const unsigned char* data, std::size_t length) {
  std::size_t total = tail_length_ + length;
  std::size_t units = total / kBlockUnit * kBlockUnit;
  if (units == 0) {
    std::memcpy(tail_ + tail_length_, data, length);
    tail_length_ = total;
    return true;
  }
  if (pending_ + units + kBlockClosingRoom > buffer_.size()) return false;
  unsigned char* out = buffer_.data() + pending_;
  std::memcpy(out, tail_, tail_length_);
  std::size_t from_data = units - tail_length_;
  std::memcpy(out + tail_length_, data, from_data);
  pending_ += units;
  block_length_ += units;
  tail_length_ = length - from_data;
  std::memcpy(tail_, data + from_data, tail_length_);
  return true;
}

bool VemoLogStream::finish_block() {
  if (!deflate_into_block(nullptr, 0, Z_FINISH)) return false;
  // The last unit: the remaining 0 to 15 bytes, then (16 - r) bytes of value 16 - r.
  auto padding = static_cast<unsigned char>(kBlockUnit - tail_length_);
  std::memset(tail_ + tail_length_, padding, padding);
  std::memcpy(buffer_.data() + pending_, tail_, kBlockUnit);
  pending_ += kBlockUnit;
  block_length_ += kBlockUnit;
  tail_length_ = 0;
  buffer_[pending_++] = kBlockEnd;
  // Written only now: the finish output and the tail may have taken more than one unit.
  put_block_length(buffer_.data(), static_cast<std::uint32_t>(block_length_));
  block_ = Block::kFinished;
  return true;
}

bool VemoLogStream::append_to_file() {
  if (!file_ || !reopen_if_removed()) return false;
  std::size_t written = std::fwrite(buffer_.data(), 1, pending_, file_.get());
  bool flushed = std::fflush(file_.get()) == 0;
  file_size_ += static_cast<std::int64_t>(written);
  if (written == pending_ && flushed) return true;
  file_.reset();  // a file that no longer takes blocks is not written again
  return false;
}

bool VemoLogStream::reopen_if_removed() {
  if (GetFileAttributesW(to_long_path(path_).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  file_.reset();
  create_dirs_for_path_w(path_);
  file_.reset(open_for_append(path_));
  if (!file_) return false;
  std::int64_t size = length_of(file_.get());
  file_size_ = size < 0 ? 0 : size;
  return true;
}

}  // namespace vemo::logs
