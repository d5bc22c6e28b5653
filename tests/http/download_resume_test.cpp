// Resumed downloads: the HEAD pre-check, the validator, the Range the server
// sees, and answers that do not fit the partial file.
#include "download_fixture.h"

#include "http/http_result_code.h"

namespace vemo::test {
namespace {

class DownloadResumeTest : public DownloadFixture {
protected:
  DownloadResumeTest() : DownloadFixture("resume") {}

  // The Range of the GET the server saw for a file.
  std::string get_range(const std::string& name) {
    auto stats = server_stats(served.group());
    std::string range = "(no GET)";
    for (const RecordedRequest& request : recorded_requests(stats.get()))
      if (request.method == "GET" && request.path.find("/" + name) != std::string::npos) range = request.range;
    return range;
  }
};

TEST_F(DownloadResumeTest, APartialFileContinuesOrStartsAgainAsTheServerAnswers) {
  const std::string bytes = test_bytes(2 * 1024 * 1024, 11);
  const std::string md5 = reference_md5(bytes);
  const std::string n = "700000";
  const std::string head = bytes.substr(0, 700000);
  const std::string junk = test_bytes(700000, 99);
  struct Case {
    const char* name;
    const char* query;
    std::string partial;  // what the file holds before the download
    std::string range;    // the request's Range line ("" for none)
    const char* validator;
    int status;
    const char* server_range;  // the Range of the GET the server saw
  } cases[] = {
      {"validator still matches", "&etag=v1", head, "Range: bytes=" + n + "-", "v1", 206, "bytes=700000-"},
      {"lower-case range line", "&etag=v1", head, "range: bytes=" + n + "-", "v1", 206, "bytes=700000-"},
      {"no validator given", "", head, "Range: bytes=" + n + "-", "", 206, "bytes=700000-"},
      {"validator changed", "&etag=v2", junk, "Range: bytes=" + n + "-", "v1", 200, ""},
      {"server ignores the range", "&ignore_range=1", junk, "Range: bytes=" + n + "-", "", 200, "bytes=700000-"},
      {"file longer than the range", "", head + junk, "Range: bytes=" + n + "-", "", 206, "bytes=700000-"},
      {"file shorter than the range", "", head.substr(0, 1000), "Range: bytes=" + n + "-", "", 200, ""},
      {"file already whole", "", bytes, "Range: bytes=" + std::to_string(bytes.size()) + "-", "", 200, ""},
      // The pre-check carries the request's own headers: its validator is seen.
      {"server needs the request's header", "&etag=v2&need_header=X-Client", junk, "Range: bytes=" + n + "-", "v1",
       200, ""},
      // A slice of the compressed file would not decode: the range is asked for unencoded.
      {"server compresses when allowed", "&gzip=1", head, "Range: bytes=" + n + "-", "", 206, "bytes=700000-"},
  };
  int64_t id = 1;
  for (const Case& c : cases) {
    std::string name = "f" + std::to_string(id) + ".bin";
    std::string url = served.add(name, bytes) + c.query;
    std::string file = dir.file(name + ".part");
    write_file(file, c.partial);
    DownloadParams params = download_params(name, file, dir.file(name), md5);
    VemoSDKHttp::set_param_text(params.param_if_range, c.validator);
    submit(id++, url, params, {c.range.c_str(), "X-Client: test"});
  }
  ASSERT_TRUE(sink.waitForResults(std::size(cases)));
  id = 1;
  for (const Case& c : cases) {
    std::string name = "f" + std::to_string(id);
    EXPECT_EQ(c.status, only_result(id++).status()) << c.name;
    EXPECT_EQ(md5, reference_md5(read(dir.file(name + ".bin")))) << c.name;
    EXPECT_EQ(c.server_range, get_range(name + ".bin")) << c.name;
  }
}

TEST_F(DownloadResumeTest, AWrongContentRangeAnswersOnceAndDropsThePartialFile) {
  const std::string bytes = test_bytes(1024 * 1024, 12);
  const std::string url = served.add("bad.bin", bytes) + "&bad_range=1";
  const std::string file = dir.file("bad.part");
  write_file(file, bytes.substr(0, 1000));
  submit(5, url, download_params("bad", file, dir.file("bad.bin"), reference_md5(bytes)), {"Range: bytes=1000-"});
  ASSERT_TRUE(sink.waitForResults(1));
  Sleep(1500);  // a second answer would come within this
  PostedResult result = only_result(5);
  EXPECT_EQ(VemoSDKHttp::kStatusRangeMismatch, result.status());
  EXPECT_EQ("range not match", result.text("msg"));
  EXPECT_FALSE(file_exists(file));
  EXPECT_FALSE(file_exists(dir.file("bad.bin")));
  EXPECT_EQ(0u, manager->runningCount());
}

TEST_F(DownloadResumeTest, AStopDuringThePreCheckIsNotLost) {
  const std::string bytes = test_bytes(64 * 1024, 13);
  const std::string url = served.add("late.bin", bytes) + "&delay=1500";
  const std::string file = dir.file("late.part");
  write_file(file, bytes.substr(0, 100));
  submit(6, url, download_params("late", file), {"Range: bytes=100-"});
  Sleep(300);  // the HEAD waits for the server
  manager->stopTask(60, "late");
  ASSERT_TRUE(sink.waitForResults(2));
  Sleep(2000);
  EXPECT_EQ("{\"succ\":true}", only_result(60).json);
  EXPECT_EQ(VemoSDKHttp::kStatusStopped, only_result(6).status());
  EXPECT_EQ("(no GET)", get_range("late.bin"));
}

}  // namespace
}  // namespace vemo::test
