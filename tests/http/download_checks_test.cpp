// Downloads that land, downloads that fail their checks, and failed
// transfers: each answers once and frees its slot.
#include "download_fixture.h"

#include <windows.h>

#include "core/text_convert.h"
#include "http/download_file.h"
#include "http/http_result_code.h"
#include "http/worker_threads.h"

namespace vemo::test {
namespace {

class DownloadChecksTest : public DownloadFixture {
protected:
  DownloadChecksTest() : DownloadFixture("checks") {}
};

TEST_F(DownloadChecksTest, FinishedFilesAreCheckedBeforeTheyReachTheirDestination) {
  const std::string bytes = test_bytes(5 * 1024 * 1024, 1);
  const std::string md5 = reference_md5(bytes);
  std::string upper_md5 = md5;
  for (char& c : upper_md5) c = static_cast<char>(toupper(c));
  const std::string url = served.add("five.bin", bytes);
  write_file(dir.file("old.bin"), "the previous version");
  CreateDirectoryA(dir.file("taken").c_str(), nullptr);  // a folder is never replaced by a file
  write_file(dir.file("taken\\keep.txt"), "kept");

  struct Case {
    const char* name;
    std::string checksum;
    int64_t expect_size;
    std::string dest;
    int status;
  } cases[] = {
      {"right md5", md5, 0, dir.file("a.bin"), 200},
      {"md5 in capitals", upper_md5, 0, dir.file("b.bin"), 200},
      {"right size", "", static_cast<int64_t>(bytes.size()), dir.file("new\\sub\\c.bin"), 200},
      {"replaces an old file", md5, 0, dir.file("old.bin"), 200},
      {"wrong md5", std::string(32, '0'), 0, dir.file("d.bin"), VemoSDKHttp::kStatusCheckFailed},
      {"wrong size", md5, static_cast<int64_t>(bytes.size()) + 1, dir.file("e.bin"), VemoSDKHttp::kStatusCheckFailed},
      {"destination is a folder", md5, 0, dir.file("taken"), VemoSDKHttp::kStatusRenameFailed},
  };
  int64_t id = 100;
  for (const Case& c : cases) {
    std::string file = dir.file(std::to_string(id) + ".part");
    submit(id++, url, download_params(c.name, file, c.dest, c.checksum, c.expect_size));
  }
  ASSERT_TRUE(sink.waitForResults(std::size(cases)));
  id = 100;
  for (const Case& c : cases) {
    PostedResult result = only_result(id);
    std::string file = dir.file(std::to_string(id++) + ".part");
    EXPECT_EQ(c.status, result.status()) << c.name;
    if (c.status == 200) {
      EXPECT_EQ(bytes, read(c.dest)) << c.name;
      EXPECT_FALSE(file_exists(file)) << c.name;
    } else if (c.status == VemoSDKHttp::kStatusRenameFailed) {
      EXPECT_EQ("kept", read(c.dest + "\\keep.txt")) << c.name;
      EXPECT_EQ(static_cast<int64_t>(bytes.size()), file_size(file)) << c.name;
    } else {
      EXPECT_FALSE(file_exists(c.dest)) << c.name;
      EXPECT_EQ(static_cast<int64_t>(bytes.size()), file_size(file)) << c.name;  // left where it was written
    }
  }
  EXPECT_EQ(0u, manager->runningCount());
}

TEST_F(DownloadChecksTest, ALargeFileIsCheckedAsItArrives) {
  // Large enough for the transfer to outrun its digest and wait for it.
  const std::string bytes = test_bytes(64 * 1024 * 1024, 5);
  const std::string md5 = reference_md5(bytes);
  const std::string url = served.add("large.bin", bytes);
  submit(1, url, download_params("large", dir.file("large.part"), dir.file("large.bin"), md5));
  submit(2, url, download_params("large-bad", dir.file("bad.part"), dir.file("bad.bin"), std::string(32, 'f')));
  ASSERT_TRUE(sink.waitForResults(2));
  EXPECT_EQ(200, only_result(1).status());
  EXPECT_EQ(md5, reference_md5(read(dir.file("large.bin"))));
  EXPECT_EQ(VemoSDKHttp::kStatusCheckFailed, only_result(2).status());
  EXPECT_FALSE(file_exists(dir.file("bad.bin")));
}

// Holds every check thread of a manager until released: a download's digest
// then waits, as on a slow CPU.
class HeldChecks {
public:
  explicit HeldChecks(VemoSDKHttp::WorkerThreads& workers) {
    for (size_t i = 0; i < workers.threadCount(); ++i)
      workers.post([event = release_] { WaitForSingleObject(event, INFINITE); });
  }
  ~HeldChecks() {
    release();
    CloseHandle(release_);
  }
  void release() { SetEvent(release_); }

private:
  HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

bool wait_for_size(const std::string& path, int64_t size) {
  for (int i = 0; i < 6000; ++i) {
    if (file_size(path) >= size) return true;
    Sleep(10);
  }
  return false;
}

TEST_F(DownloadChecksTest, ATransferRunsAheadOfItsDigestUpToTheMemoryLimit) {
  const int64_t limit = VemoSDKHttp::DownloadFile::kDigestBacklogLimit;
  struct Case {
    const char* name;
    int64_t size;
    int64_t hashingStartsAt;  // bytes on disk
  } cases[] = {
      // The whole file arrives while nothing is hashed.
      {"below", limit - (3 << 20), limit - (3 << 20)},
      // The transfer waits for its digest, then goes on.
      {"past", limit + (20 << 20), limit},
  };
  int64_t callback = 1;
  for (const Case& c : cases) {
    const std::string bytes = test_bytes(static_cast<size_t>(c.size), static_cast<uint32_t>(callback));
    const std::string md5 = reference_md5(bytes);
    const std::string url = served.add(std::string(c.name) + ".bin", bytes);
    const std::string part = dir.file(std::string(c.name) + ".part"), dest = dir.file(std::string(c.name) + ".bin");
    HeldChecks held(manager->checkWorkers());
    submit(callback, url, download_params(c.name, part, dest, md5));
    ASSERT_TRUE(wait_for_size(part, c.hashingStartsAt)) << c.name << ": " << file_size(part);
    held.release();
    ASSERT_TRUE(sink.waitForResults(static_cast<size_t>(callback))) << c.name;
    EXPECT_EQ(200, only_result(callback).status()) << c.name;
    EXPECT_EQ(md5, reference_md5(read(dest))) << c.name;
    ++callback;
  }
}

TEST_F(DownloadChecksTest, ReportsTheHeadersOnceAndTheEndOfTheProgress) {
  const std::string bytes = test_bytes(3 * 1024 * 1024, 2);
  const std::string url = served.add("events.bin", bytes) + "&rate=6000000";
  submit(7, url, download_params("events", dir.file("events.part")));
  ASSERT_TRUE(sink.waitForResults(1));
  EXPECT_EQ(200, only_result(7).status());
  std::vector<PostedEvent> headers, progress;
  for (const PostedEvent& event : sink.events()) {
    ASSERT_EQ(7, event.callback_id);
    (event.type() == "header" ? headers : progress).push_back(event);
  }
  ASSERT_EQ(1u, headers.size());
  EXPECT_FALSE(headers[0].keep_latest);
  EXPECT_EQ(static_cast<double>(bytes.size()), headers[0].number("total"));
  ASSERT_FALSE(progress.empty());
  for (const PostedEvent& event : progress) EXPECT_TRUE(event.keep_latest);
  EXPECT_EQ(-1, progress.back().number("received"));
  EXPECT_EQ(static_cast<double>(bytes.size()), progress.back().number("total"));
}

TEST_F(DownloadChecksTest, EveryFailureAnswersAndTheNextDownloadStarts) {
  manager->update_download_config(0, 0, 1, 0, 0);  // one at a time: a stuck slot would stall the rest
  const std::string bytes = test_bytes(256 * 1024, 3);
  const std::string url = served.add("one.bin", bytes);
  DownloadParams slow = download_params("slow", dir.file("slow.part"));
  slow.low_speed_limit_bytes = 100000;
  slow.low_speed_limit_timeout_secs = 1;
  struct Case {
    const char* name;
    std::string url;
    DownloadParams params;
    int status;
    const char* header = nullptr;
  } cases[] = {
      {"missing", served.url("absent.bin"), download_params("missing", dir.file("m.part")), 22},
      {"server error", url + "&status=500", download_params("500", dir.file("s.part")), 22},
      {"dropped mid-body", url + "&drop_after=100000", download_params("drop", dir.file("d.part")), 18},
      {"shorter than announced", url + "&wrong_length=200000",
       download_params("short", dir.file("w.part"), "", "", static_cast<int64_t>(bytes.size())),
       VemoSDKHttp::kStatusCheckFailed},
      {"too slow", url + "&rate=20000", slow, 28},
      {"nothing listens", "http://127.0.0.1:1/x", download_params("refused", dir.file("r.part")), 7},
      {"unopenable file", url, download_params("nofile", dir.file("no\\such\\folder\\f.part")),
       VemoSDKHttp::kStatusOpenFailed},
      {"unopenable after its pre-check", url, download_params("nofile2", dir.file("no\\such\\folder\\g.part")),
       VemoSDKHttp::kStatusOpenFailed, "Range: bytes=10-"},
      {"fine", url, download_params("fine", dir.file("f.part"), dir.file("fine.bin")), 200},
  };
  int64_t id = 1;
  for (const Case& c : cases)
    manager->submitDownload(id++, c.url, c.header ? header_list({c.header}) : vemo::CurlSlist(), c.params);
  manager->vmsdk_check_submit_download_to_max_count();
  ASSERT_TRUE(sink.waitForResults(std::size(cases)));
  id = 1;
  for (const Case& c : cases) EXPECT_EQ(c.status, only_result(id++).status()) << c.name;
  EXPECT_EQ(bytes, read(dir.file("fine.bin")));
  EXPECT_EQ(0u, manager->pendingCount());
}

TEST_F(DownloadChecksTest, ACallbackIdOfZeroGetsNothingPosted) {
  const std::string bytes = test_bytes(64 * 1024, 4);
  submit(0, served.add("quiet.bin", bytes), download_params("quiet", dir.file("quiet.part"), dir.file("quiet.bin")));
  for (int i = 0; i < 200 && (manager->runningCount() > 0 || file_size(dir.file("quiet.part")) < 65536); ++i)
    Sleep(25);
  Sleep(200);
  EXPECT_EQ(0u, manager->runningCount());
  EXPECT_EQ(bytes, read(dir.file("quiet.part")));
  EXPECT_TRUE(sink.results().empty());
  EXPECT_TRUE(sink.events().empty());
}

TEST_F(DownloadChecksTest, NobodyElseWritesTheFileWhileItDownloads) {
  const std::string bytes = test_bytes(1024 * 1024, 41);
  const std::string url = served.add("held.bin", bytes);
  const std::string file = dir.file("held.part");
  submit(1, url + "&rate=400000", download_params("first", file, dir.file("held.bin"), reference_md5(bytes)));
  // Another writer, sharing everything itself, is refused while the download runs.
  HANDLE other = CreateFileW(utf8_to_wstring(file).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, other);
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  // So is a second download given the same temporary file.
  submit(2, url, download_params("second", file, dir.file("other.bin"), reference_md5(bytes)));
  ASSERT_TRUE(sink.waitForResults(2, std::chrono::seconds(30)));
  EXPECT_EQ(VemoSDKHttp::kStatusOpenFailed, only_result(2).status());
  EXPECT_EQ(200, only_result(1).status());
  EXPECT_EQ(bytes, read(dir.file("held.bin")));
  EXPECT_FALSE(file_exists(dir.file("other.bin")));
}

}  // namespace
}  // namespace vemo::test
