#include "core/zlib_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ZlibBuffer, RoundTripsAText) {
  std::string text = R"({"vm_win_ut":"abc","key":"value"})";
  for (int i = 0; i < 5; ++i) text += text;
  std::vector<unsigned char> packed(text.size() + 64);
  size_t packed_length = 0;
  ASSERT_TRUE(zlib_compress_text(text.c_str(), packed.data(), packed.size(), &packed_length));
  EXPECT_LT(packed_length, text.size());
  EXPECT_EQ(packed[0], 0x78);  // the zlib wrapper, not raw deflate or gzip

  std::vector<unsigned char> unpacked(text.size());
  size_t unpacked_length = 0;
  ASSERT_TRUE(zlib_uncompress_buffer(packed.data(), packed_length, unpacked.data(), unpacked.size(),
                                     &unpacked_length));
  EXPECT_EQ(std::string(unpacked.begin(), unpacked.begin() + unpacked_length), text);
}

TEST(ZlibBuffer, RefusesWhatDoesNotFitAndBrokenData) {
  std::string text = "short text that will not shrink";
  std::vector<unsigned char> packed(128);
  size_t length = 0;
  EXPECT_FALSE(zlib_compress_text(text.c_str(), packed.data(), 8, &length));
  EXPECT_FALSE(zlib_compress_text("", packed.data(), packed.size(), &length));
  EXPECT_FALSE(zlib_compress_text(nullptr, packed.data(), packed.size(), &length));
  ASSERT_TRUE(zlib_compress_text(text.c_str(), packed.data(), packed.size(), &length));

  std::vector<unsigned char> out(text.size());
  size_t out_length = 0;
  EXPECT_FALSE(zlib_uncompress_buffer(packed.data(), length, out.data(), text.size() - 1, &out_length));
  EXPECT_FALSE(zlib_uncompress_buffer(packed.data(), length - 3, out.data(), out.size(), &out_length));
  packed[length / 2] ^= 0x55;
  EXPECT_FALSE(zlib_uncompress_buffer(packed.data(), length, out.data(), out.size(), &out_length));
  EXPECT_EQ(out_length, 0u);
}

}  // namespace
