#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/base64.h"
#include "core/md5.h"
#include "core/string_utils.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

std::string bytes_of(const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); }

TEST(Base64Decode, StopsAtPaddingOrAForeignCharacter) {
  const std::pair<const char*, std::string> cases[] = {
      {"QUJD", "ABC"},        {"QUI=", "AB"},     {"QU", "A"},          {"QU*JD", "A"},
      {"Q", ""},              {"", ""},           {"QUJDRA==", "ABCD"}, {"QUJD\nRA", "ABC"},
      {"+/+/", "\xfb\xff\xbf"}, {"=QUJD", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(bytes_of(base64_decode_string(text)), expected) << text;
}

TEST(Base64, EncodeRoundTripsEveryByte) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (size_t length : {0u, 1u, 2u, 3u, 4u, 255u, 256u}) {
    std::string encoded = base64_encode(all.data(), length);
    EXPECT_EQ(encoded.size() % 4, 0u);
    EXPECT_EQ(bytes_of(base64_decode_string(encoded)), all.substr(0, length)) << length;
  }
  EXPECT_EQ(base64_encode("AB", 2), "QUI=");
}

std::string md5_hex(const std::string& bytes) {
  unsigned char digest[16];
  vemo_md5(bytes.data(), bytes.size(), digest);
  return to_hex_string(digest, 16);
}

TEST(Md5, Rfc1321Vectors) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [text, digest] : cases) {
    char hex[33];
    vemo_md5_hex(text, hex);
    EXPECT_STREQ(hex, digest) << text;
    EXPECT_EQ(md5_hex(text), digest) << text;
  }
}

TEST(Md5, PiecesGiveTheSameDigestAsOneUpdate) {
  std::string data;
  for (int i = 0; i < 1000; ++i) data += static_cast<char>(i * 7);
  for (size_t piece : {1u, 55u, 56u, 63u, 64u, 65u, 333u}) {
    VemoMd5Context context;
    vemo_md5_init(&context);
    for (size_t at = 0; at < data.size(); at += piece)
      vemo_md5_update(&context, data.data() + at, std::min(piece, data.size() - at));
    vemo_md5_update(&context, "ignored", 0);
    unsigned char digest[16];
    vemo_md5_finish(&context, digest);
    EXPECT_EQ(to_hex_string(digest, 16), md5_hex(data)) << piece;
  }
}

// Bytes that repeat only after 2^32: the top byte of i times a large odd number.
std::string spread_bytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((static_cast<std::uint32_t>(i) * 2654435761u) >> 24);
  return bytes;
}

TEST(Md5, PaddingEdgesAndALongInputInOddPiecesMatchMd5sum) {
  // Digests by md5sum of the same bytes. 55 and 56 bytes are where the length
  // stops fitting into the last block, 119 and 120 the same one block later;
  // 3 MiB + 7 bytes fed in pieces that straddle every block boundary.
  struct Case {
    size_t size;
    size_t piece;  // 0: one call
    const char* digest;
  };
  const Case cases[] = {
      {55, 0, "1eec39e439a0686e0f16143c93e65544"},       {56, 0, "99d69c39ec90af2fb1496b6e9c6c764d"},
      {63, 0, "6bb048b09bcadbcdfd181977323cdfd0"},       {64, 0, "e2ea14ec96ad97249814fe4e07e09782"},
      {119, 0, "34ec2dd3b6fce7edb56cd76666f819bf"},      {120, 0, "06365e9cd131eec736e29727ab0608dd"},
      {119, 7, "34ec2dd3b6fce7edb56cd76666f819bf"},      {120, 61, "06365e9cd131eec736e29727ab0608dd"},
      {3145735, 0, "25b853deb8e83dd6350aae9b926a4c90"},  {3145735, 1, "25b853deb8e83dd6350aae9b926a4c90"},
      {3145735, 63, "25b853deb8e83dd6350aae9b926a4c90"}, {3145735, 65, "25b853deb8e83dd6350aae9b926a4c90"},
      {3145735, 4099, "25b853deb8e83dd6350aae9b926a4c90"}, {3145735, 1048573, "25b853deb8e83dd6350aae9b926a4c90"},
  };
  for (const Case& c : cases) {
    std::string data = spread_bytes(c.size);
    if (c.piece == 0) {
      EXPECT_EQ(md5_hex(data), c.digest) << c.size;
      continue;
    }
    VemoMd5Context context;
    vemo_md5_init(&context);
    for (size_t at = 0; at < data.size(); at += c.piece)
      vemo_md5_update(&context, data.data() + at, std::min(c.piece, data.size() - at));
    unsigned char digest[16];
    vemo_md5_finish(&context, digest);
    EXPECT_EQ(to_hex_string(digest, 16), c.digest) << c.size << " in pieces of " << c.piece;
  }
}

TEST(FileMd5, EqualsTheBufferDigestAcrossChunkBoundaries) {
  vemo::test::TempDir dir("file-md5");
  for (size_t size : {0u, 1u, 1024u, 1025u, 262143u, 262144u, 262145u, 600000u}) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 8));
    std::string path = dir.file(u8"\u6587\u4ef6-" + std::to_string(size));
    ASSERT_TRUE(vemo::test::write_file(path, bytes));
    char* hex = vemo_file_md5_hex(utf8_to_wstring(path).c_str(), 32);
    ASSERT_NE(hex, nullptr) << size;
    EXPECT_EQ(std::string(hex), md5_hex(bytes)) << size;
    std::free(hex);
  }
}

TEST(FileMd5, ShortFormIsTheMiddleAndOtherLengthsFail) {
  vemo::test::TempDir dir("file-md5-forms");
  std::string path = dir.file("abc.txt");
  ASSERT_TRUE(vemo::test::write_file(path, "abc"));
  std::wstring wide = utf8_to_wstring(path);
  char* short_form = vemo_file_md5_hex(wide.c_str(), 16);
  ASSERT_NE(short_form, nullptr);
  EXPECT_STREQ(short_form, "3cd24fb0d6963f7d");
  std::free(short_form);
  EXPECT_EQ(vemo_file_md5_hex(wide.c_str(), 20), nullptr);
  EXPECT_EQ(vemo_file_md5_hex(wide.c_str(), 0), nullptr);
  EXPECT_EQ(vemo_file_md5_hex(utf8_to_wstring(dir.file("missing")).c_str(), 32), nullptr);
  EXPECT_EQ(vemo_file_md5_hex(nullptr, 32), nullptr);
}

TEST(FileMd5, ReportsWhyItFailed) {
  vemo::test::TempDir dir("file-md5-status");
  unsigned char digest[16];
  EXPECT_EQ(md5_of_file(utf8_to_wstring(dir.file("missing")), digest), FileDigestStatus::kOpenFailed);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // A folder opens for reading on some systems but never reads as a file.
  EXPECT_NE(md5_of_file(utf8_to_wstring(dir.path()), digest), FileDigestStatus::kOk);
}

}  // namespace
