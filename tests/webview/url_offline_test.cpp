// Percent-encoding tables, local page URLs, and the local files pages may load.
#include "webview/mime_type_table.h"
#include "webview/offline_resources.h"
#include "webview/url_encoding.h"

#include "core/text_convert.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace VemoSDK;

TEST(UrlEncode, TablesKeepTheirOwnBytes) {
  const std::string all = "a Z0~!#$%&'()*+,-./:;=?@[]_\"<>\\^`{|}\x7F";
  EXPECT_EQ(urlEncode(all, UrlEncodeTable::uri), "a%20Z0~!#$%&'()*%2B,-./:;=?@[]_%22%3C%3E%5C%5E%60%7B%7C%7D%7F");
  EXPECT_EQ(urlEncode(all, UrlEncodeTable::component),
            "a%20Z0~!%23%24%25%26'()*%2B%2C-.%2F%3A%3B%3D%3F%40%5B%5D_%22%3C%3E%5C%5E%60%7B%7C%7D%7F");
  EXPECT_EQ(urlEncode(u8"\u4e2d", UrlEncodeTable::uri), "%E4%B8%AD");
  EXPECT_EQ(urlEncode(std::string("a\0b", 3), UrlEncodeTable::component), "a%00b");
}

TEST(NormaliseLocalUrl, OnlyDrivePathsChange) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\pages\\a b.html", "C:/pages/a%20b.html"},
      {"file://C:\\pages\\index.html?x=1#top", "file://C:/pages/index.html?x=1#top"},
      {"file:///C:/pages/index.html", "file:///C:/pages/index.html"},  // no drive right after "file://"
      {"https://game.example/a b", "https://game.example/a b"},
      {"d:\\\xE4\xB8\xAD.html", "d:/%E4%B8%AD.html"},
      {"C", "C"},
  };
  for (const auto& c : cases) EXPECT_EQ(normaliseLocalUrl(c.first), c.second) << c.first;
}

TEST(MimeTypeTable, ByLastExtensionWithoutCase) {
  const std::pair<const wchar_t*, const char*> cases[] = {
      {L"C:\\ui\\index.HTML", "text/html; charset=utf-8"},
      {L"C:\\ui\\app.mjs", "application/javascript; charset=utf-8"},
      {L"C:\\ui\\a.min.css", "text/css; charset=utf-8"},
      {L"C:\\ui\\font.woff2", "font/woff2"},
      {L"C:\\ui\\pic.Jpeg", "image/jpeg"},
      {L"C:\\ui\\data.bin", "application/octet-stream"},
      {L"C:\\ui.d\\noextension", "application/octet-stream"},
      {L"C:\\ui\\README", "application/octet-stream"},
  };
  for (const auto& c : cases) EXPECT_STREQ(mimeTypeForPath(c.first), c.second) << wstring_to_utf8(c.first);
}

TEST(ConvertToLocalPath, DecodesUtf8BytesAndRefusesWhatIsNoLocalPath) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:/Game/ui/index.html", L"C:\\Game\\ui\\index.html"},
      {L"C:/Game/%E4%B8%AD/a%20b.png", L"C:\\Game\\\u4e2d\\a b.png"},
      {L"c%3A%2Fx.txt", L"c:\\x.txt"},
      {L"C:/a+b", L"C:\\a+b"},  // "+" is a file name character here
      {L"Game/ui/index.html", nullptr},
      {L"/C:/ui", nullptr},
      {L"C:", nullptr},
      {L"C:/", nullptr},
      {L"1:/ui", nullptr},
      {L"", nullptr},
      {L"C:/ui/a%00.html", nullptr},
      {L"C:/ui/%FF%FE.html", nullptr},  // not UTF-8
  };
  for (const auto& c : cases) {
    std::wstring out;
    bool ok = ConvertToLocalPath(c.first, out);
    EXPECT_EQ(ok, c.second != nullptr) << wstring_to_utf8(c.first);
    EXPECT_EQ(out, c.second ? c.second : L"") << wstring_to_utf8(c.first);
  }
}

TEST(OfflineResourceServer, ServesOnlyFilesInsideItsFolders) {
  vemo::test::TempDir root("webview-offline");
  std::string game = root.file("Game");
  for (const std::string& folder : {game, game + "\\ui", game + u8"\\ui\\\u4e2d", game + "x"})
    ASSERT_TRUE(CreateDirectoryW(utf8_to_wstring(folder).c_str(), nullptr)) << folder;
  ASSERT_TRUE(vemo::test::write_file(game + "\\ui\\index.html", "<p>hi</p>"));
  ASSERT_TRUE(vemo::test::write_file(game + "x\\index.html", "sibling"));
  ASSERT_TRUE(vemo::test::write_file(game + u8"\\ui\\\u4e2d\\\u4e2d.png", "PNG!"));
  ASSERT_TRUE(vemo::test::write_file(game + "\\ui\\empty.txt", ""));
  ASSERT_TRUE(vemo::test::write_file(root.file("secret.txt"), "secret"));
  OfflineResourceServer server({utf8_to_wstring(game)});

  std::string slashed = game;
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  std::string base = std::string(kOfflineRedirectPrefix) + slashed;
  std::string noDrive = std::string(kOfflineRedirectPrefix) + slashed.substr(2);
  struct Case {
    std::string url;
    int status;
    const char* type;
    const char* body;
  } cases[] = {
      {base + "/ui/index.html?x=1#top", 200, "text/html; charset=utf-8", "<p>hi</p>"},
      {base + "/ui/%E4%B8%AD/%E4%B8%AD.png", 200, "image/png", "PNG!"},
      {base + "/ui/missing.html", 404, "text/plain; charset=utf-8", "not found"},
      {base + "/ui/empty.txt", 404, "text/plain; charset=utf-8", "not found"},
      {base + "/ui", 404, "text/plain; charset=utf-8", "not found"},  // a folder
      {noDrive + "/ui/index.html", 403, "text/plain; charset=utf-8", "forbidden"},
      {base + "/../secret.txt", 403, "text/plain; charset=utf-8", "forbidden"},
      {base + "/ui/%2e%2e/%2E%2E/secret.txt", 403, "text/plain; charset=utf-8", "forbidden"},
      {base + "/ui/..%5C..%5Csecret.txt", 403, "text/plain; charset=utf-8", "forbidden"},
      {base + "/ui/index.html%00.png", 403, "text/plain; charset=utf-8", "forbidden"},
      {base, 403, "text/plain; charset=utf-8", "forbidden"},  // the folder itself
      {std::string(kOfflineRedirectPrefix) + "C:/windows/win.ini", 403, "text/plain; charset=utf-8", "forbidden"},
      {base + "x/index.html", 403, "text/plain; charset=utf-8", "forbidden"},  // a sibling named alike
  };
  for (const auto& c : cases) {
    OfflineResponse response = server.answer(c.url);
    EXPECT_EQ(response.status, c.status) << c.url;
    EXPECT_EQ(response.contentType, c.type) << c.url;
    EXPECT_EQ(response.body, c.body) << c.url;
  }
  EXPECT_TRUE(OfflineResourceServer::isOfflineUrl(base + "/ui/index.html"));
  EXPECT_FALSE(OfflineResourceServer::isOfflineUrl("file:///C:/Game/ui/index.html"));
}

}  // namespace
