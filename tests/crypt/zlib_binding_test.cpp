// The zlib binding streams in pieces and agrees byte for byte with Python's
// zlib (the same library version) on the same data.
#include "crypt_fixture.h"
#include "test_support.h"

#include <sstream>

namespace {

class ZlibBinding : public vemo::test::CryptModule {
protected:
  void SetUp() override {
    CryptModule::SetUp();
    run("Z = C.zlib");
  }
  // Reads a reference file into the Lua global name.
  std::string load(const char* file, const char* name) {
    std::string bytes;
    EXPECT_TRUE(vemo::test::read_file(std::string(VEMO_ZLIB_REFERENCE) + "\\" + file, bytes)) << file;
    lua_pushlstring(L.get(), bytes.data(), bytes.size());
    lua_setglobal(L.get(), name);
    return bytes;
  }
};

// Feeds T to a stream in pieces of N bytes (and, for deflate, finishes);
// returns the joined output and the last counters.
constexpr char kPieces[] =
    "function pieces(stream, t, n, finish) local out = {} local eof, bin, bout "
    "for at = 1, #t, n do local o o, eof, bin, bout = stream(t:sub(at, at + n - 1)) out[#out + 1] = o end "
    "if finish then local o o, eof, bin, bout = stream('', 'finish') out[#out + 1] = o end "
    "return table.concat(out), eof, bin, bout end";

TEST_F(ZlibBinding, DeflateInPiecesGivesPythonsBytes) {
  load("data.bin", "data");
  run(kPieces);
  for (int level : {1, 6, 9}) {
    std::string file = "zlib_" + std::to_string(level) + ".bin";
    std::string expected = load(file.c_str(), "expected");
    EXPECT_EQ("true,true," + std::to_string(expected.size()),
              run("local out, eof, bin, bout = pieces(Z.deflate(" + std::to_string(level) +
                  "), data, 4093, true) return out == expected, eof and bin == #data, bout"))
        << file;
  }
}

TEST_F(ZlibBinding, InflateInPiecesReadsPythonsZlibGzipAndRawStreams) {
  std::string data = load("data.bin", "data");
  run(kPieces);
  const std::pair<const char*, const char*> cases[] = {
      {"zlib_9.bin", "Z.inflate()"}, {"gzip.bin", "Z.inflate()"}, {"raw.bin", "Z.inflate(-15)"}};
  for (const auto& [file, open] : cases) {
    std::string compressed = load(file, "compressed");
    for (int piece : {1, 7, 65536}) {
      if (piece == 1 && compressed.size() > 200000) continue;
      EXPECT_EQ("true,true," + std::to_string(compressed.size()) + "," + std::to_string(data.size()),
                run("local out, eof, bin, bout = pieces(" + std::string(open) + ", compressed, " +
                    std::to_string(piece) + ") return out == data, eof, bin, bout"))
          << file << " in pieces of " << piece;
    }
  }
}

TEST_F(ZlibBinding, ChecksumsMatchPythonsInPiecesAndCombined) {
  load("data.bin", "data");
  std::string sums;
  ASSERT_TRUE(vemo::test::read_file(std::string(VEMO_ZLIB_REFERENCE) + "\\sums.txt", sums));
  std::istringstream fields(sums);
  std::string crc, adler, version;
  fields >> crc >> adler >> version;
  EXPECT_EQ(crc + "," + adler,
            run("local c, a = Z.crc32(), Z.adler32() local cv, av "
                "for at = 1, #data, 1000 do cv = c(data:sub(at, at + 999)) av = a(data:sub(at, at + 999)) end "
                "return cv, av"));
  EXPECT_EQ(crc + "," + adler,
            run("local half = #data // 2 local c1, c2 = Z.crc32(), Z.crc32() local a1, a2 = Z.adler32(), Z.adler32() "
                "c1(data:sub(1, half)) c2(data:sub(half + 1)) a1(data:sub(1, half)) a2(data:sub(half + 1)) "
                "return c1(c2), a1(a2)"));
  EXPECT_EQ("0,1", run("return Z.crc32()(''), Z.adler32()('')"));
  EXPECT_NE(std::string::npos, run("Z.crc32()(Z.adler32())").find("not a checksum of the same kind"));
  EXPECT_EQ(version, run("return table.concat({Z.version()}, '.')"));
}

TEST_F(ZlibBinding, FinishedAndBrokenStreamsRaiseClearErrors) {
  // The end of the data is found inside the input: bytes_in says where.
  EXPECT_EQ("hello,true,13,5", run("local z = Z.deflate()('hello', 'finish') "
                                   "return Z.inflate()(z .. 'trailing')"));
  EXPECT_EQ("true", run("return #Z.deflate()('hello', 'finish') == 13"));
  EXPECT_NE(std::string::npos, run("local s = Z.deflate() s('x', 'finish') s('more')").find("IllegalState"));
  EXPECT_EQ(",true", run("local s = Z.deflate() s('x', 'finish') local o, eof = s('') return o, eof"));
  EXPECT_NE(std::string::npos,
            run("local s = Z.inflate() s(Z.deflate()('x', 'finish')) s('more')").find("IllegalState"));
  EXPECT_NE(std::string::npos, run("Z.inflate()('this is not compressed data')").find("InvalidInput"));
  EXPECT_NE(std::string::npos, run("Z.deflate()('x', 'bogus')").find("invalid option 'bogus'"));
  // A sync flush hands out everything so far without ending the stream.
  EXPECT_EQ("ab,false", run("local d, i = Z.deflate(), Z.inflate() local o1 = i(d('a', 'sync')) "
                            "local o2, eof = i(d('b', 'full')) return o1 .. o2, eof"));
}

}  // namespace
