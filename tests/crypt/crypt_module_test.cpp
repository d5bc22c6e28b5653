// The crypt module's functions against published vectors, Windows' own
// digests and the edge cases of its codecs.
#include <windows.h>
#include <bcrypt.h>

#include "crypt_fixture.h"
#include "test_support.h"

namespace {

using vemo::test::CryptModule;


TEST_F(CryptModule, TableHoldsTheNineteenFunctionsAndTwoSubTables) {
  EXPECT_EQ("19,table,table", run("local n = 0 for k, v in pairs(C) do if type(v) == 'function' then n = n + 1 end end "
                                  "return n, type(C.md5), type(C.zlib)"));
  EXPECT_EQ("Basic cryptographic facilities,MD5 1.2", run("return C.md5._DESCRIPTION, C.md5._VERSION"));
}

TEST_F(CryptModule, DigestsAndHmacsMatchPublishedVectors) {
  const std::pair<const char*, const char*> cases[] = {
      {"H(C.sha256('abc'))", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"H(C.sha1('abc'))", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"H(C.sha1(''))", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"H(C.sha1('abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq'))",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      // RFC 4231 case 1 and RFC 2202 case 1.
      {"H(C.hmac_sha256(('\\x0b'):rep(20), 'Hi There'))",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"H(C.hmac_sha1(('\\x0b'):rep(20), 'Hi There'))", "b617318655057264e28bc0b6fb378c8ef146be00"},
      // RFC 4231 case 6: a key longer than the block is hashed first.
      {"H(C.hmac_sha256(('\\xaa'):rep(131), 'Test Using Larger Than Block-Size Key - Hash Key First'))",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {"H(C.md5.sum('abc'))", "900150983cd24fb0d6963f7d28e17f72"},
  };
  for (const auto& [call, expected] : cases) EXPECT_EQ(expected, run("return " + std::string(call))) << call;
}

TEST_F(CryptModule, Sha1AgreesWithWindowsAtEveryLengthAroundTheBlock) {
  std::string bytes;
  for (int i = 0; i < 200; ++i) bytes += static_cast<char>(i * 31 + 7);
  for (size_t length = 0; length <= bytes.size(); ++length) {
    std::string piece = bytes.substr(0, length);
    lua_State* s = L.get();
    lua_getglobal(s, "H");
    lua_getglobal(s, "C");
    lua_getfield(s, -1, "sha1");
    lua_remove(s, -2);
    lua_pushlstring(s, piece.data(), piece.size());
    lua_call(s, 1, 1);
    lua_call(s, 1, 1);
    std::string ours = lua_tostring(s, -1);
    lua_pop(s, 1);
    ASSERT_EQ(vemo::test::windows_digest_hex(BCRYPT_SHA1_ALGORITHM, piece), ours) << length;
  }
}

TEST_F(CryptModule, Hash64FamilyMatchesAnIndependentComputation) {
  const std::pair<const char*, const char*> cases[] = {
      // 5381 and 1315423911, little-endian.
      {"H(C.hashkey(''))", "05150000a7c6674e"},
      {"H(C.hashkey('hello'))", "9930920fcbef1867"},
      {"H(C.hmac64('\\1\\2\\3\\4\\5\\6\\7\\8', '\\9\\10\\11\\12\\13\\14\\15\\16'))", "b2bc505d203ccd3a"},
      // Blocks of all-zero and all-one words and of mixed bytes, whose words
      // cross the sign bit and every byte position.
      {"H(C.hmac64(('\\0'):rep(8), ('\\0'):rep(8)))", "a2a90fe5ec190ee5"},
      {"H(C.hmac64(('\\xff'):rep(8), ('\\xff'):rep(8)))", "249422d47b81a4b7"},
      {"H(C.hmac64('key-8byt', '\\x80\\x7f\\x01\\xfe\\x10\\x20\\x30\\x40'))", "78d1a001cd1dc8eb"},
      {"H(C.hmac64('\\xde\\xad\\xbe\\xef\\x01\\x23\\x45\\x67', '\\x89\\xab\\xcd\\xef\\xfe\\xdc\\xba\\x98'))",
       "106882540394819e"},
      {"H(C.hmac_hash('12345678', 'hello'))", "c7c836eeffbdd948"},
      {"C.hmac_hash('12345678', 'hello') == C.hmac64(C.hashkey('hello'), '12345678')", "true"},
  };
  for (const auto& [call, expected] : cases) EXPECT_EQ(expected, run("return " + std::string(call))) << call;
}

TEST_F(CryptModule, DiffieHellmanSecretsAgreeAndBadKeysAreRefused) {
  // 5^12345 mod 2^64 - 59, computed independently.
  EXPECT_EQ("8e0444ea2f2542c7", run("return H(C.dhexchange(string.pack('<I8', 12345)))"));
  EXPECT_EQ("true", run("local a, b = C.randomkey(), C.randomkey() "
                        "return C.dhsecret(C.dhexchange(a), b) == C.dhsecret(C.dhexchange(b), a)"));
  // A base above the modulus is reduced first.
  EXPECT_EQ("true", run("return C.dhsecret(string.pack('<I8', -1), '\\2\\0\\0\\0\\0\\0\\0\\0') == "
                        "C.dhsecret(string.pack('<I8', 58), '\\2\\0\\0\\0\\0\\0\\0\\0')"));
  const std::pair<const char*, const char*> errors[] = {
      {"C.dhexchange('short')", "Invalid dh uint64 key"},
      {"C.dhexchange(('\\0'):rep(8))", "Can't be 0"},
      {"C.dhsecret('x', ('\\1'):rep(8))", "Invalid uint64 x"},
      {"C.dhsecret(('\\1'):rep(8), 'y')", "Invalid uint64 y"},
      {"C.dhsecret(('\\1'):rep(8), ('\\0'):rep(8))", "Can't be 0"},
  };
  for (const auto& [call, message] : errors) expectError(call, message);
}

TEST_F(CryptModule, Rc4ContinuesOneStreamAcrossCalls) {
  EXPECT_EQ("true,true", run("local k1, k2 = C.rc4_key('secret'), C.rc4_key('secret') "
                             "local ab = C.rc4_encrypt('ab', k1) .. C.rc4_encrypt('cd', k1) "
                             "return ab == C.rc4_encrypt('abcd', k2), "
                             "C.rc4_decrypt(ab, C.rc4_key('secret')) == 'abcd'"));
  // The classic RC4 vector: key "Key", text "Plaintext".
  EXPECT_EQ("bbf316e8d940af0ad3", run("return H(C.rc4_encrypt('Plaintext', C.rc4_key('Key')))"));
  EXPECT_NE(std::string::npos, run("C.rc4_key('')").find("bad argument #1 to 'rc4_key' (rc4 key must not be empty)"));
  EXPECT_NE(std::string::npos, run("C.rc4_encrypt('ab', {})").find("bad argument #2 to 'rc4_encrypt'"));
  EXPECT_NE(std::string::npos, run("C.rc4_encrypt('ab', io.stdout)").find("bad argument #2 to 'rc4_encrypt'"));
}

TEST_F(CryptModule, DesRoundTripsWithItsPadding) {
  // FIPS 46 worked example: the padding block follows the text's block.
  EXPECT_EQ("85e813540f0ab405", run("return H(C.desencode('\\x13\\x34\\x57\\x79\\x9b\\xbc\\xdf\\xf1', "
                                    "'\\x01\\x23\\x45\\x67\\x89\\xab\\xcd\\xef')):sub(1, 16)"));
  const char* const texts[] = {"", "a", "1234567", "12345678", "a longer text with \\0 inside"};
  for (const char* text : texts) {
    std::string chunk = std::string("local e = C.desencode('k3y-8byt', '") + text +
                        "') return #e, C.desdecode('k3y-8byt', e) == '" + text + "'";
    size_t length = std::string(text).size();
    size_t unescaped = length - (std::string(text).find("\\0") != std::string::npos ? 1 : 0);
    EXPECT_EQ(std::to_string((unescaped / 8 + 1) * 8) + ",true", run(chunk)) << text;
  }
  const std::pair<const char*, const char*> errors[] = {
      {"C.desencode('short', 'x')", "Invalid key size 5, need 8 bytes"},
      {"C.desdecode('k3y-8byt', '')", "Invalid des crypt text length 0"},
      {"C.desdecode('k3y-8byt', 'abc')", "Invalid des crypt text length 3"},
      // Blocks that decipher to a last block of zeros, or of other bytes than the padding.
      {"C.desdecode('k3y-8byt', C.desencode('k3y-8byt', ('\\0'):rep(8)):sub(1, 8))", "Invalid des crypt text"},
      {"C.desdecode('k3y-8byt', C.desencode('k3y-8byt', 'abcdefgh'):sub(1, 8))", "Invalid des crypt text"},
  };
  for (const auto& [call, message] : errors) expectError(call, message);
}

TEST_F(CryptModule, HexAndBase64RefuseMalformedText) {
  EXPECT_EQ("10,0a00ff", run("return string.byte(C.hexdecode('0a')), C.hexencode('\\10\\0\\255')"));
  EXPECT_EQ("abc,abc,ab,a,", run("return C.base64decode(C.base64encode('abc') .. '\\n'), C.base64decode('Y W\\tJj'), "
                                 "C.base64decode('YWI='), C.base64decode('YQ=='), C.base64decode('')"));
  const std::pair<const char*, const char*> errors[] = {
      {"C.hexdecode('0A')", "Invalid hex text"},
      {"C.hexdecode('0g')", "Invalid hex text"},
      {"C.hexdecode('abc')", "Invalid hex text size 3"},
      {"C.base64decode('YWJ')", "Invalid base64 text"},  // "YWJj" with its last character removed
      {"C.base64decode('YWJ=Y')", "Invalid base64 text"},
      {"C.base64decode('YQ=a')", "Invalid base64 text"},
      {"C.base64decode('YR==')", "Invalid base64 text"},  // loose bits under the padding
      {"C.base64decode('YWJ=')", "Invalid base64 text"},
      {"C.base64decode('====')", "Invalid base64 text"},
  };
  for (const auto& [call, message] : errors) expectError(call, message);
}

TEST_F(CryptModule, RandomKeysComeFromTheSystemGenerator) {
  EXPECT_EQ("8,true", run("local seen = {} local n = 0 for i = 1, 200 do local k = C.randomkey() "
                          "if not seen[k] then n = n + 1 seen[k] = true end end "
                          "return #C.randomkey(), n == 200"));
}

TEST_F(CryptModule, Md5CipherRoundTripsAndContextsFinishOnce) {
  EXPECT_EQ("true,true,3",
            run("local e = C.md5.crypt('a message longer than one sixteen-byte round', 'key', 'seed') "
                "local d = C.md5.decrypt(e, 'key') "
                "return d == 'a message longer than one sixteen-byte round', e:sub(1, 5) == '\\4seed', "
                "#C.md5.exor('abc', 'xyz')"));
  EXPECT_EQ("true", run("local e = C.md5.crypt('timed', 'k') return C.md5.decrypt(e, 'k') == 'timed' and e:byte(1) == 8"));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72,900150983cd24fb0d6963f7d28e17f72",
            run("local c = C.md5.start_md5c() C.md5.update_md5c(c, 'abcdef', 2) C.md5.update_md5c(c, 'c') "
                "local d = C.md5.start_md5c() C.md5.update_md5c(d, 'abc', 1000) C.md5.update_md5c(d, 'zz', -1) "
                "return H(C.md5.finish_md5c(c)), H(C.md5.finish_md5c(d))"));
  EXPECT_NE(std::string::npos, run("local c = C.md5.start_md5c() C.md5.finish_md5c(c) C.md5.finish_md5c(c)")
                                   .find("md5 context already finished"));
  EXPECT_NE(std::string::npos, run("C.md5.finish_md5c({})").find("bad argument #1 to 'finish_md5c'"));
  const std::pair<const char*, const char*> errors[] = {
      {"C.md5.exor('ab', 'c')", "bad argument #2 to 'exor' (lengths must be equal)"},
      {"C.md5.crypt('m', 'k', ('s'):rep(17))", "seed too long (> 16)"},
      {"C.md5.crypt('m', ('k'):rep(257))", "key too long (> 256)"},
      {"C.md5.decrypt('\\17' .. ('x'):rep(20), 'k')", "invalid cyphered string"},
      {"C.md5.decrypt('\\5abc', 'k')", "invalid cyphered string"},
      {"C.md5.decrypt('', 'k')", "invalid cyphered string"},
  };
  for (const auto& [call, message] : errors)
    EXPECT_NE(std::string::npos, run(call).find(message)) << call << ": " << run(call);
}

}  // namespace
