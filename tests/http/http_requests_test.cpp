// Requests answered in memory: GET and POST against the test server, the
// multipart uploads, and the public-key pins over HTTPS.
#include "download_fixture.h"

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "core/base64.h"
#include "core/owners.h"
#include "core/sha256.h"
#include "http/cert_pins.h"
#include "http/http.h"

namespace vemo::test {
namespace {

using vemo::JsonPtr;

JsonPtr parse(const std::string& text) { return JsonPtr(cJSON_Parse(text.c_str())); }

std::string text_of(const cJSON* object, const char* key) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  return cJSON_IsString(item) ? item->valuestring : "";
}

double number_of(const cJSON* object, const char* key) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  return cJSON_IsNumber(item) ? item->valuedouble : -1;
}

// The part of a /_/form answer with that name, or null.
const cJSON* form_part(const cJSON* answer, const std::string& name) {
  const cJSON* parts = cJSON_GetObjectItemCaseSensitive(answer, "parts");
  for (const cJSON* part = parts ? parts->child : nullptr; part; part = part->next)
    if (text_of(part, "name") == name) return part;
  return nullptr;
}

class HttpRequestsTest : public DownloadFixture {
protected:
  HttpRequestsTest() : DownloadFixture("requests") {}

  PostedResult get(int64_t id, const std::string& url, std::initializer_list<const char*> headers = {}) {
    size_t before = sink.results().size();
    manager->httpGet(id, url, header_list(headers), false);
    EXPECT_TRUE(sink.waitForResults(before + 1));
    return only_result(id);
  }
  PostedResult post(int64_t id, const std::string& url, const std::string& body, const char* options,
                    std::initializer_list<const char*> headers = {}) {
    size_t before = sink.results().size();
    manager->httpPost(id, url, body, header_list(headers), false, options);
    EXPECT_TRUE(sink.waitForResults(before + 1));
    return only_result(id);
  }
  static JsonPtr headers_of(const PostedResult& result) {
    JsonPtr root = parse(result.json);
    return JsonPtr(cJSON_Duplicate(cJSON_GetObjectItemCaseSensitive(root.get(), "headers"), 1));
  }
};

TEST_F(HttpRequestsTest, GetAnswersEveryStatusWithItsBodyAndHeadersOnlyFor2xx) {
  const std::string bytes = test_bytes(70 * 1000, 5);
  const std::string url = served.add("page.bin", bytes);
  struct Case {
    const char* name;
    std::string url;
    int status;
    std::string body_part;  // the body holds this
    bool has_headers;
  } cases[] = {
      {"found", url, 200, bytes, true},
      {"missing", served.url("none.html"), 404, "<html><body>not found</body></html>", false},
      {"server error", url + "&status=500", 500, "error 500", false},
      {"nobody listens", "http://127.0.0.1:1/x", 7, "", false},  // libcurl: could not connect
  };
  int64_t id = 10;
  for (const Case& c : cases) {
    PostedResult result = get(id++, c.url);
    EXPECT_EQ(c.status, result.status()) << c.name;
    EXPECT_NE(std::string::npos, result.body.find(c.body_part)) << c.name << ": " << result.body;
    JsonPtr headers = headers_of(result);
    ASSERT_TRUE(cJSON_IsObject(headers.get())) << c.name << ": " << result.json;
    EXPECT_EQ(c.has_headers, headers->child != nullptr) << c.name << ": " << result.json;
    if (c.has_headers) {
      EXPECT_EQ(std::to_string(bytes.size()), text_of(headers.get(), "Content-Length"));
    }
  }
  EXPECT_FALSE(get(20, "http://127.0.0.1:1/x").body.empty());  // libcurl's reason
}

TEST_F(HttpRequestsTest, GetSendsTheCallersHeaderLines) {
  PostedResult result = get(30, http_base_url() + "/_/echo", {"X-Vemo-Test: one", "Accept: text/plain"});
  ASSERT_EQ(200, result.status());
  JsonPtr echo = parse(result.body);
  const cJSON* sent = cJSON_GetObjectItemCaseSensitive(echo.get(), "headers");
  EXPECT_EQ("one", text_of(sent, "X-Vemo-Test"));
  EXPECT_EQ("text/plain", text_of(sent, "Accept"));
  EXPECT_EQ("GET", text_of(echo.get(), "method"));
}

TEST_F(HttpRequestsTest, PostSendsTheBodyWholeWhateverTheOptions) {
  const std::string body("a\0b\0\xff" "c", 6);
  const char* const options[] = {nullptr, "not json", "{\"other\":1}", "[]"};
  int64_t id = 40;
  for (const char* option : options) {
    PostedResult result = post(id++, http_base_url() + "/_/echo", body, option, {"Content-Type: application/x-test"});
    ASSERT_EQ(200, result.status()) << (option ? option : "null");
    JsonPtr echo = parse(result.body);
    EXPECT_EQ("POST", text_of(echo.get(), "method"));
    EXPECT_EQ(6, number_of(echo.get(), "length")) << (option ? option : "null");
    EXPECT_NE(std::string::npos, result.body.find(R"("body": "a\u0000b\u0000\u00ffc")")) << result.body;
    EXPECT_EQ("application/x-test", text_of(cJSON_GetObjectItemCaseSensitive(echo.get(), "headers"), "Content-Type"));
  }
  EXPECT_EQ(0, number_of(parse(post(50, http_base_url() + "/_/echo", "", nullptr).body).get(), "length"));
}

TEST_F(HttpRequestsTest, SafeFormdataBecomesAMultipartUploadWithItsFileAndData) {
  const std::string bytes = test_bytes(100 * 1000, 6);
  write_file(dir.file("save.bin"), bytes);
  JsonPtr options(cJSON_CreateObject());
  cJSON* form = cJSON_AddArrayToObject(options.get(), "safe_formdata");
  cJSON* file = cJSON_CreateObject();
  cJSON_AddStringToObject(file, "type", "file");
  cJSON_AddStringToObject(file, "name", "upload");
  cJSON_AddStringToObject(file, "file_name", "\\\\?\\C:\\saves\\slot 1/save.bin");
  cJSON_AddStringToObject(file, "file_path", dir.file("save.bin").c_str());
  cJSON_AddItemToArray(form, file);
  cJSON* data = cJSON_CreateObject();
  cJSON_AddStringToObject(data, "type", "data");
  cJSON_AddStringToObject(data, "name", "meta");
  cJSON_AddItemToObject(data, "data", parse(R"({"level":3,"tags":["a","b"]})").release());
  cJSON_AddItemToArray(form, data);
  cJSON_AddItemToArray(form, parse(R"({"type":"data","name":"note","data":"plain text"})").release());
  cJSON_AddItemToArray(form, parse(R"({"type":"video","name":"skipped"})").release());
  const std::string text = vemo::print_json(options.get());

  PostedResult result = post(60, http_base_url() + "/_/form", "body not sent", text.c_str(), {"X-Not-Sent: 1"});
  ASSERT_EQ(200, result.status()) << result.body;
  JsonPtr answer = parse(result.body);
  EXPECT_EQ(3, cJSON_GetArraySize(cJSON_GetObjectItemCaseSensitive(answer.get(), "parts"))) << result.body;
  const cJSON* upload = form_part(answer.get(), "upload");
  ASSERT_NE(nullptr, upload) << result.body;
  EXPECT_EQ("C:/saves/slot 1/save.bin", text_of(upload, "filename"));
  EXPECT_EQ(static_cast<double>(bytes.size()), number_of(upload, "length"));
  JsonPtr meta = parse(text_of(form_part(answer.get(), "meta"), "data"));
  EXPECT_EQ(3, number_of(meta.get(), "level"));
  EXPECT_EQ(2, cJSON_GetArraySize(cJSON_GetObjectItemCaseSensitive(meta.get(), "tags")));
  EXPECT_EQ("plain text", text_of(form_part(answer.get(), "note"), "data"));
  EXPECT_EQ(nullptr, form_part(answer.get(), "skipped"));

  // The form travels with its own header lines, not the caller's.
  PostedResult echoed = post(61, http_base_url() + "/_/echo", "", text.c_str(), {"X-Not-Sent: 1"});
  JsonPtr echo = parse(echoed.body);
  const cJSON* sent = cJSON_GetObjectItemCaseSensitive(echo.get(), "headers");
  EXPECT_EQ("no-cache", text_of(sent, "cache-control"));
  EXPECT_EQ("", text_of(sent, "X-Not-Sent"));
  EXPECT_EQ(0u, text_of(sent, "Content-Type").find("multipart/form-data"));
}

TEST_F(HttpRequestsTest, AFormFileThatCannotBeReadFailsTheRequestWithTheReason) {
  const char* options = R"({"safe_formdata":[{"type":"file","name":"f","file_name":"x","file_path":"Z:\\no\\such\\file"}]})";
  PostedResult result = post(70, http_base_url() + "/_/form", "", options);
  EXPECT_EQ(26, result.status());  // libcurl's read error
  EXPECT_NE(std::string::npos, result.text("msg").find("Z:\\no\\such\\file")) << result.json;
}

TEST_F(HttpRequestsTest, UploadsSendOneFilePartNamedFile) {
  const std::string bytes = test_bytes(30 * 1000, 7);
  write_file(dir.file("report.dmp"), bytes);
  std::string response;
  ASSERT_EQ(0, manager->uploadFileSync(http_base_url() + "/_/form", dir.file("report.dmp"), response));
  JsonPtr answer = parse(response);
  const cJSON* part = form_part(answer.get(), "file");
  ASSERT_NE(nullptr, part) << response;
  std::string expected_name = dir.file("report.dmp");
  for (char& c : expected_name)
    if (c == '\\') c = '/';
  EXPECT_EQ(expected_name, text_of(part, "filename"));
  EXPECT_EQ(static_cast<double>(bytes.size()), number_of(part, "length"));
  EXPECT_EQ(26, manager->uploadFileSync(http_base_url() + "/_/form", dir.file("absent.dmp"), response));

  char* copy = nullptr;
  EXPECT_EQ(0, vmsdk_http_upload_file((http_base_url() + "/_/form").c_str(), dir.file("report.dmp").c_str(), &copy));
  ASSERT_NE(nullptr, copy);
  EXPECT_NE(nullptr, std::strstr(copy, "\"name\": \"file\""));
  std::free(copy);

  // The background upload answers nobody; the server still gets the bytes.
  manager->uploadAsync(http_base_url() + "/_/form?group=" + served.group(), "logs\\today.txt",
                       std::string("line\0two", 8));
  const cJSON* parts = nullptr;
  JsonPtr stats;
  for (int i = 0; i < 200 && !parts; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stats = server_stats(served.group());
    const cJSON* requests = cJSON_GetObjectItemCaseSensitive(stats.get(), "requests");
    if (cJSON_GetArraySize(requests) > 0)
      parts = cJSON_GetObjectItemCaseSensitive(cJSON_GetArrayItem(requests, 0), "parts");
  }
  ASSERT_NE(nullptr, parts);
  const cJSON* sent = cJSON_GetArrayItem(parts, 0);
  EXPECT_EQ("file", text_of(sent, "name"));
  EXPECT_EQ("logs/today.txt", text_of(sent, "filename"));
  EXPECT_EQ(8, number_of(sent, "length"));
  EXPECT_TRUE(sink.results().empty());
}

TEST(CertPinsTest, PinsAreSentSortedAsOneText) {
  VemoSDKHttp::CertPins pins;
  EXPECT_EQ("", pins.get_curl_format_pubkey());
  pins.add("b2");
  pins.add("a1");
  pins.add("b2");
  EXPECT_EQ("sha256//a1;sha256//b2", pins.get_curl_format_pubkey());
}

// A manager whose GET requests carry the given pins.
class PinnedRequestsTest : public DownloadFixture {
protected:
  PinnedRequestsTest() : DownloadFixture("pins") {}
};

TEST_F(PinnedRequestsTest, AServerMustShowOneOfThePinnedKeys) {
  ASSERT_NE(0, https_port()) << "the test server could not make its certificate";
  std::string key = https_public_key_der();
  ASSERT_EQ(294u, key.size());
  unsigned char digest[32];
  vemo_sha256(key.data(), key.size(), digest);
  const std::string right = base64_encode(digest, sizeof digest);
  const std::string wrong = base64_encode(std::string(32, 'x').data(), 32);
  const std::string url = https_base_url() + "/_/stats";

  struct Case {
    const char* name;
    std::vector<std::string> pins;
    std::string url;
    int status;
  } cases[] = {
      {"no pins", {}, url, 200},
      {"the right pin", {right}, url, 200},
      {"a wrong pin", {wrong}, url, 90},  // libcurl: public key does not match the pin
      {"the right one among others", {wrong, right}, url, 200},
      {"plain HTTP is not pinned", {wrong}, http_base_url() + "/_/stats", 200},
  };
  int64_t id = 80;
  for (const Case& c : cases) {
    HttpManager pinned(sink);
    for (const std::string& pin : c.pins) pinned.addCertPin(pin);
    size_t before = sink.results().size();
    pinned.httpGet(id, c.url, {}, false);
    ASSERT_TRUE(sink.waitForResults(before + 1)) << c.name;
    EXPECT_EQ(c.status, only_result(id++).status()) << c.name;
  }
}

}  // namespace
}  // namespace vemo::test
