// QR bitmaps from Lua: the BMP layout of a version-1 symbol, its white
// border, texts as bytes, and texts too long for any symbol. The "hi" bitmap
// is also left in the test work folder for the native QR reader's check.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "test_support.h"
#include "vemosdk_fixture.h"

namespace {

std::uint32_t read32(const std::string& bmp, size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bmp.data() + at, 4);
  return value;
}

std::uint16_t read16(const std::string& bmp, size_t at) {
  std::uint16_t value = 0;
  std::memcpy(&value, bmp.data() + at, 2);
  return value;
}

class QrBitmap : public vemo::test::VemosdkModule {
protected:
  std::string bitmap(const std::string& text) {
    lua_State* s = L.get();
    lua_settop(s, 0);
    lua_getglobal(s, "_vemosdk");
    lua_getfield(s, -1, "qrcode_gen_bmp");
    lua_pushlstring(s, text.data(), text.size());
    lua_call(s, 1, 2);
    size_t length = 0;
    const char* bytes = lua_toboolean(s, 2) ? lua_tolstring(s, 3, &length) : nullptr;
    std::string result = bytes ? std::string(bytes, length) : "";
    lua_settop(s, 0);
    return result;
  }
};

TEST_F(QrBitmap, ShortTextIsAVersionOneSymbolOf184By184Pixels) {
  std::string bmp = bitmap("hi");
  ASSERT_EQ(101622u, bmp.size());
  EXPECT_EQ("BM", bmp.substr(0, 2));
  EXPECT_EQ(101622u, read32(bmp, 2));
  EXPECT_EQ(0u, read32(bmp, 6));
  EXPECT_EQ(54u, read32(bmp, 10));
  EXPECT_EQ(40u, read32(bmp, 14));
  EXPECT_EQ(184, static_cast<std::int32_t>(read32(bmp, 18)));
  EXPECT_EQ(-184, static_cast<std::int32_t>(read32(bmp, 22)));
  EXPECT_EQ(1, read16(bmp, 26));
  EXPECT_EQ(24, read16(bmp, 28));
  EXPECT_EQ(std::string(24, '\0'), bmp.substr(30, 24));
  const size_t row = 184 * 3;
  size_t black = 0;
  for (size_t y = 0; y < 184; ++y) {
    for (size_t x = 0; x < 184; ++x) {
      const char* pixel = bmp.data() + 54 + y * row + x * 3;
      bool white = std::memcmp(pixel, "\xff\xff\xff", 3) == 0;
      bool dark = std::memcmp(pixel, "\0\0\0", 3) == 0;
      ASSERT_TRUE(white || dark) << x << "," << y;
      if (x < 8 || y < 8 || x >= 176 || y >= 176) {
        ASSERT_TRUE(white) << "border at " << x << "," << y;
      }
      black += dark;
    }
  }
  // The top-left finder pattern: its outer ring is dark from module 0 to 6.
  EXPECT_EQ(0, std::memcmp(bmp.data() + 54 + 8 * row + 8 * 3, "\0\0\0", 3));
  EXPECT_EQ(0, black % 64) << "whole 8 x 8 modules";
  ASSERT_TRUE(vemo::test::write_file(vemo::test::work_dir() + "\\qrcode-hi.bmp", bmp));
}

TEST_F(QrBitmap, TextIsEncodedAsItsBytes) {
  // A NUL byte is part of the text: its symbol differs from the cut text's.
  std::string with_nul = bitmap(std::string("hi\0there", 8));
  ASSERT_FALSE(with_nul.empty());
  EXPECT_NE(bitmap("hi"), with_nul);
  // Bytes in a larger symbol: 2953 bytes still fit version 40 at level low.
  std::string largest = bitmap(std::string(2953, '\xe9'));
  EXPECT_EQ(54u + 192u * 179u * 179u, largest.size());
}

TEST_F(QrBitmap, TextTooLongForAnySymbolFails) {
  EXPECT_EQ("false,Generate QRCode Failed.\n", run("return _vemosdk.qrcode_gen_bmp(string.rep('x', 2954))"));
  EXPECT_NE(std::string::npos, run("return _vemosdk.qrcode_gen_bmp()").find("string expected"));
}

}  // namespace
