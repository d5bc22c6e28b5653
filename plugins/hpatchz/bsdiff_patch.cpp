// The patch holds triples (add x bytes of the old file to x bytes of the diff
// block, copy y bytes of the extra block, move the old position by z); each
// length and position is checked against both buffers before it is used, so
// a hostile patch fails instead of reading or writing out of bounds.
#include "bsdiff_patch.h"

#include <bzlib.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 32;
constexpr int64_t kMaxNewSize = INT32_MAX;  // a 32-bit process cannot hold more

// Eight bytes, little-endian magnitude with the sign in the top bit.
int64_t read_offset(const unsigned char* p) {
  int64_t value = p[7] & 0x7F;
  for (int i = 6; i >= 0; --i) value = value * 256 + p[i];
  return (p[7] & 0x80) ? -value : value;
}

// One bzip2 stream over a slice of the patch.
class BzipReader {
public:
  BzipReader(const unsigned char* data, size_t size) {
    std::memset(&stream_, 0, sizeof stream_);
    ok_ = BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK;
    stream_.next_in = const_cast<char*>(reinterpret_cast<const char*>(data));
    stream_.avail_in = static_cast<unsigned int>(size);
  }
  ~BzipReader() {
    if (ok_) BZ2_bzDecompressEnd(&stream_);
  }
  BzipReader(const BzipReader&) = delete;
  BzipReader& operator=(const BzipReader&) = delete;

  // Exactly length bytes, or false.
  bool read(unsigned char* out, size_t length) {
    if (!ok_) return false;
    stream_.next_out = reinterpret_cast<char*>(out);
    stream_.avail_out = static_cast<unsigned int>(length);
    while (stream_.avail_out > 0) {
      if (ended_) return false;
      int rc = BZ2_bzDecompress(&stream_);
      if (rc == BZ_STREAM_END) {
        ended_ = true;
      } else if (rc != BZ_OK || stream_.avail_in == 0) {
        // BZ_OK with no input left and room for output: the stream is cut short.
        if (rc != BZ_OK || stream_.avail_out > 0) return false;
      }
    }
    return true;
  }

  // The stream ends here, with no byte left over: only then has bzip2
  // checked its last block's and the stream's CRC, so a cut or damaged end
  // is found even when every byte the patch needed came out before it.
  bool finish() {
    if (!ok_) return false;
    if (ended_) return true;
    char spare;
    stream_.next_out = &spare;
    stream_.avail_out = 1;
    int rc = BZ2_bzDecompress(&stream_);
    ended_ = rc == BZ_STREAM_END;
    return ended_ && stream_.avail_out == 1;
  }

private:
  bz_stream stream_;
  bool ok_ = false;
  bool ended_ = false;
};

bool fail(std::string& reason, const char* text) {
  reason = text;
  return false;
}

}  // namespace

bool apply_bsdiff_patch(const Bytes& old_data, const Bytes& patch, Bytes& new_data, std::string& reason) {
  if (patch.size() < kHeaderSize || std::memcmp(patch.data(), "BSDIFF40", 8) != 0)
    return fail(reason, "not a bsdiff patch");
  int64_t control_size = read_offset(&patch[8]);
  int64_t diff_size = read_offset(&patch[16]);
  int64_t new_size = read_offset(&patch[24]);
  int64_t body = static_cast<int64_t>(patch.size() - kHeaderSize);
  if (control_size < 0 || diff_size < 0 || control_size > body || diff_size > body - control_size)
    return fail(reason, "patch is truncated");
  if (new_size < 0 || new_size > kMaxNewSize) return fail(reason, "new size out of range");

  const unsigned char* blocks = patch.data() + kHeaderSize;
  BzipReader control(blocks, static_cast<size_t>(control_size));
  BzipReader diff(blocks + control_size, static_cast<size_t>(diff_size));
  BzipReader extra(blocks + control_size + diff_size, static_cast<size_t>(body - control_size - diff_size));

  new_data.assign(static_cast<size_t>(new_size), 0);
  const int64_t old_size = static_cast<int64_t>(old_data.size());
  int64_t old_pos = 0;
  int64_t new_pos = 0;
  while (new_pos < new_size) {
    unsigned char triple[24];
    if (!control.read(triple, sizeof triple)) return fail(reason, "control block is corrupt");
    int64_t add_length = read_offset(triple);
    int64_t copy_length = read_offset(triple + 8);
    int64_t seek = read_offset(triple + 16);
    if (add_length < 0 || copy_length < 0 || add_length > new_size - new_pos ||
        copy_length > new_size - new_pos - add_length)
      return fail(reason, "control block is corrupt");

    unsigned char* out = new_data.data() + new_pos;
    if (!diff.read(out, static_cast<size_t>(add_length))) return fail(reason, "diff block is corrupt");
    for (int64_t i = 0; i < add_length; ++i) {
      int64_t at = old_pos + i;
      if (at >= 0 && at < old_size) out[i] = static_cast<unsigned char>(out[i] + old_data[static_cast<size_t>(at)]);
    }
    new_pos += add_length;
    old_pos += add_length;

    if (!extra.read(new_data.data() + new_pos, static_cast<size_t>(copy_length)))
      return fail(reason, "extra block is corrupt");
    new_pos += copy_length;
    if (seek > kMaxNewSize || seek < -kMaxNewSize) return fail(reason, "control block is corrupt");
    old_pos += seek;
  }
  if (!control.finish() || !diff.finish() || !extra.finish()) return fail(reason, "patch is truncated or damaged");
  return true;
}
