// Each third-party library of the stack, used once for real in the target
// environment (32-bit Windows under Wine).
#include <gtest/gtest.h>

#include <cjson/cJSON.h>
#include <curl/curl.h>
#include <opencore-amrnb/interf_dec.h>
#include <opencore-amrnb/interf_enc.h>
#include <opencore-amrwb/dec_if.h>
#include <qrcodegen.h>
#include <vo-amrwbenc/enc_if.h>
#include <zip.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/owners.h"
#include "lua.hpp"
#include "test_support.h"

namespace {

TEST(StackLibraries, LuaRunsAChunk) {
  vemo::LuaStatePtr L(luaL_newstate());
  luaL_openlibs(L.get());
  ASSERT_EQ(LUA_OK, luaL_dostring(L.get(), "return string.format('%d-%s', 6 * 7, math.type(1))"));
  EXPECT_STREQ("42-integer", lua_tostring(L.get(), -1));
}

int g_destroyed = 0;

struct CountsItsEnd {
  ~CountsItsEnd() { ++g_destroyed; }
};

int raise_from_cpp(lua_State* L) {
  CountsItsEnd guard;
  std::string held(1000, 'x');  // memory that must be given back
  return luaL_error(L, "raised with %d bytes held", static_cast<int>(held.size()));
}

// Lua raises errors as C++ exceptions, so a Lua error that leaves a C++
// function of ours runs its destructors: no lock, handle or buffer is lost.
TEST(StackLibraries, LuaErrorsUnwindCppFrames) {
  vemo::LuaStatePtr L(luaL_newstate());
  luaL_openlibs(L.get());
  lua_register(L.get(), "raise_from_cpp", raise_from_cpp);
  g_destroyed = 0;
  ASSERT_EQ(LUA_OK, luaL_dostring(L.get(), "local ok, e = pcall(raise_from_cpp) return e"));
  EXPECT_STREQ("raised with 1000 bytes held", lua_tostring(L.get(), -1));
  EXPECT_EQ(1, g_destroyed);
  // Through a Lua function in between, and with a non-string error value.
  ASSERT_EQ(LUA_OK, luaL_dostring(L.get(), "return pcall(function() raise_from_cpp() end)"));
  EXPECT_EQ(2, g_destroyed);
}

TEST(StackLibraries, CJsonParsesAndPrints) {
  vemo::JsonPtr doc(cJSON_Parse(R"({"game_id":5,"sdks":[{"name":"X"}]})"));
  ASSERT_NE(nullptr, doc);
  EXPECT_EQ(5, cJSON_GetObjectItem(doc.get(), "game_id")->valueint);
  EXPECT_EQ(1, cJSON_GetArraySize(cJSON_GetObjectItem(doc.get(), "sdks")));
}

size_t append_body(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

TEST(StackLibraries, CurlFetchesARangeFromTheTestServer) {
  ASSERT_NE(0, vemo::test::http_port()) << "test server not running";
  std::string content;
  for (int i = 0; i < 1000; ++i) content += std::to_string(i) + ",";
  ASSERT_TRUE(vemo::test::write_file(vemo::test::http_root() + "\\stack_range.txt", content));

  ASSERT_EQ(CURLE_OK, curl_global_init(CURL_GLOBAL_DEFAULT));
  vemo::CurlEasy curl(curl_easy_init());
  std::string url = vemo::test::http_base_url() + "/stack_range.txt";
  std::string body;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_RANGE, "100-");
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, append_body);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
  ASSERT_EQ(CURLE_OK, curl_easy_perform(curl.get()));
  long status = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  EXPECT_EQ(206, status);
  EXPECT_EQ(content.substr(100), body);
  curl_global_cleanup();
}

TEST(StackLibraries, LibzipWritesAndReadsAnEncryptedEntry) {
  vemo::test::TempDir dir("stack_zip");
  std::string path = dir.file("bundle.zip");
  const std::string text = "print('from the bundle')";
  int error = 0;
  zip_t* out = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(nullptr, out);
  zip_source_t* source = zip_source_buffer(out, text.data(), text.size(), 0);
  zip_int64_t index = zip_file_add(out, "a/b.lua", source, ZIP_FL_ENC_UTF_8);
  ASSERT_GE(index, 0);
  ASSERT_EQ(0, zip_file_set_encryption(out, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, "secret"));
  ASSERT_EQ(0, zip_close(out));

  zip_t* in = zip_open(path.c_str(), ZIP_RDONLY, &error);
  ASSERT_NE(nullptr, in);
  zip_stat_t st;
  ASSERT_EQ(0, zip_stat(in, "a/b.lua", 0, &st));
  EXPECT_EQ(text.size(), st.size);
  EXPECT_EQ(nullptr, zip_fopen_encrypted(in, "a/b.lua", 0, "wrong"));
  zip_file_t* entry = zip_fopen_encrypted(in, "a/b.lua", 0, "secret");
  ASSERT_NE(nullptr, entry);
  std::string read(st.size, '\0');
  EXPECT_EQ(static_cast<zip_int64_t>(st.size), zip_fread(entry, read.data(), st.size));
  EXPECT_EQ(text, read);
  zip_fclose(entry);
  zip_discard(in);
}

TEST(StackLibraries, ZlibRoundTrip) {
  std::string text(10000, 'v');
  uLongf packed_size = compressBound(text.size());
  std::vector<Bytef> packed(packed_size);
  ASSERT_EQ(Z_OK, compress2(packed.data(), &packed_size, reinterpret_cast<const Bytef*>(text.data()),
                            text.size(), 9));
  EXPECT_LT(packed_size, 200u);
  std::string back(text.size(), '\0');
  uLongf back_size = back.size();
  ASSERT_EQ(Z_OK, uncompress(reinterpret_cast<Bytef*>(back.data()), &back_size, packed.data(), packed_size));
  EXPECT_EQ(text, back);
}

TEST(StackLibraries, QrcodegenEncodesText) {
  std::vector<uint8_t> qr(qrcodegen_BUFFER_LEN_MAX), temp(qrcodegen_BUFFER_LEN_MAX);
  ASSERT_TRUE(qrcodegen_encodeText("https://example.invalid/launcher", temp.data(), qr.data(),
                                   qrcodegen_Ecc_MEDIUM, qrcodegen_VERSION_MIN, qrcodegen_VERSION_MAX,
                                   qrcodegen_Mask_AUTO, true));
  EXPECT_GE(qrcodegen_getSize(qr.data()), 21);
}

std::vector<short> tone(int samples, int rate) {
  std::vector<short> pcm(static_cast<size_t>(samples));
  for (int i = 0; i < samples; ++i) pcm[i] = static_cast<short>(8000 * std::sin(2 * 3.14159265 * 440 * i / rate));
  return pcm;
}

TEST(StackLibraries, AmrNarrowbandFrameRoundTrip) {
  void* encoder = Encoder_Interface_init(0);
  void* decoder = Decoder_Interface_init();
  std::vector<short> pcm = tone(160, 8000), out(160);
  unsigned char frame[64];
  int bytes = Encoder_Interface_Encode(encoder, MR122, pcm.data(), frame, 0);
  EXPECT_EQ(32, bytes);  // 12.2 kbit/s frame with its header byte
  Decoder_Interface_Decode(decoder, frame, out.data(), 0);
  Encoder_Interface_exit(encoder);
  Decoder_Interface_exit(decoder);
}

TEST(StackLibraries, AmrWidebandFrameRoundTrip) {
  void* encoder = E_IF_init();
  void* decoder = D_IF_init();
  std::vector<short> pcm = tone(320, 16000), out(320);
  unsigned char frame[128];
  int bytes = E_IF_encode(encoder, 8, pcm.data(), frame, 0);
  EXPECT_EQ(61, bytes);  // 23.85 kbit/s frame with its header byte
  D_IF_decode(decoder, frame, out.data(), 0);
  E_IF_exit(encoder);
  D_IF_exit(decoder);
}

}  // namespace
