// How many downloads run at once, which starts first, stops, the speed
// limit and a network that goes away.
#include "download_fixture.h"

#include <chrono>
#include <cstdint>
#include <vector>

#include "http/http_result_code.h"
#include "http/network_state.h"

namespace vemo::test {
namespace {

class DownloadSchedulingTest : public DownloadFixture {
protected:
  DownloadSchedulingTest() : DownloadFixture("sched") {}
};

// Waits until the server has seen a request whose path holds `part`: the
// running download has really begun before a test reorders the queue.
bool serverSaw(const std::string& group, const std::string& part) {
  for (int tries = 0; tries < 500; ++tries) {
    for (const RecordedRequest& request : recorded_requests(server_stats(group).get()))
      if (request.path.find(part) != std::string::npos) return true;
    Sleep(10);
  }
  return false;
}

TEST_F(DownloadSchedulingTest, TheServerSeesNoMoreDownloadsAtOnceThanAllowed) {
  const std::string bytes = test_bytes(64 * 1024, 21);
  struct Case {
    const char* name;
    int64_t limit_kb;  // 0: no speed limit
    int32_t priority;  // of every item
    int32_t thread_count;  // of the first item
    int expected;
  } cases[] = {
      {"default", 0, 0, 0, 10},
      {"with a speed limit", 1000000, 0, 0, 5},
      {"high priority in front", 0, 1, 0, 15},
      {"thread count of the first started", 0, 0, 3, 3},
  };
  int64_t id = 1;
  for (const Case& c : cases) {
    RecordingSink case_sink;
    HttpManager case_manager(case_sink);
    if (c.limit_kb) case_manager.update_download_config(c.limit_kb, 0, 0, 0, 0);
    ServedFolder folder(std::string("conc") + std::to_string(id));
    std::string url = folder.add("f.bin", bytes) + "&rate=80000";
    for (int i = 0; i < 25; ++i) {
      DownloadParams params = download_params("t" + std::to_string(i), dir.file(std::to_string(id) + "-" + std::to_string(i)));
      params.priority = c.priority;
      if (i == 0) params.thread_count = c.thread_count;
      case_manager.submitDownload(id * 100 + i, url, {}, params);
    }
    case_manager.vmsdk_check_submit_download_to_max_count();
    ASSERT_TRUE(case_sink.waitForResults(25)) << c.name;
    for (const PostedResult& result : case_sink.results()) EXPECT_EQ(200, result.status()) << c.name;
    auto stats = server_stats(folder.group());
    EXPECT_EQ(c.expected, max_active(stats.get())) << c.name;
    ++id;
  }
}

TEST_F(DownloadSchedulingTest, AHighPriorityItemSubmittedLastStartsFirst) {
  manager->update_download_config(0, 0, 1, 0, 0);
  const std::string url = served.add("p.bin", test_bytes(16 * 1024, 22));
  for (int i = 0; i < 5; ++i)
    manager->submitDownload(i + 1, url + "&n=" + std::to_string(i), {},
                            download_params("n" + std::to_string(i), dir.file("n" + std::to_string(i))));
  DownloadParams urgent = download_params("urgent", dir.file("urgent"));
  urgent.priority = 1;
  manager->submitDownload(9, url + "&n=urgent", {}, urgent);
  manager->vmsdk_check_submit_download_to_max_count();
  ASSERT_TRUE(sink.waitForResults(6));
  std::vector<std::string> order;
  for (const RecordedRequest& request : recorded_requests(server_stats(served.group()).get()))
    order.push_back(request.path.substr(request.path.find("&n=") + 3));
  EXPECT_EQ((std::vector<std::string>{"urgent", "0", "1", "2", "3", "4"}), order);
}

TEST_F(DownloadSchedulingTest, RaisingAPriorityMovesAWaitingItemForward) {
  manager->update_download_config(0, 0, 1, 0, 0);
  const std::string url = served.add("r.bin", test_bytes(16 * 1024, 23));
  for (int i = 0; i < 4; ++i)
    manager->submitDownload(i + 1, url + "&delay=300&n=" + std::to_string(i), {},
                            download_params("r" + std::to_string(i), dir.file("r" + std::to_string(i))));
  manager->vmsdk_check_submit_download_to_max_count();  // r0 runs, r1..r3 wait
  ASSERT_TRUE(serverSaw(served.group(), "&n=0"));
  vemo::JsonPtr priorities(cJSON_Parse(R"({"r3": 5, "r0": 9, "nobody": 1})"));
  manager->vmsdk_update_download_priority(priorities.get());
  ASSERT_TRUE(sink.waitForResults(4));
  std::vector<std::string> order;
  for (const RecordedRequest& request : recorded_requests(server_stats(served.group()).get()))
    order.push_back(request.path.substr(request.path.find("&n=") + 3));
  EXPECT_EQ((std::vector<std::string>{"0", "3", "1", "2"}), order);
}

TEST_F(DownloadSchedulingTest, AnyNumberGivenAsAPriorityIsAppliedInRange) {
  struct Case {
    const char* priority;  // as a script sends it
    bool moves;            // to the front of the queue
  } cases[] = {
      {"5", true},
      {"1e300", true},
      {"3000000000", true},
      {"0.5", false},
      {"-1e300", false},
  };
  const std::string url = served.add("q.bin", test_bytes(8 * 1024, 28));
  int64_t id = 1;
  for (const Case& c : cases) {
    RecordingSink case_sink;
    HttpManager case_manager(case_sink);
    case_manager.update_download_config(0, 0, 1, 0, 0);
    std::string tag = "&case=" + std::to_string(id);
    const char* names[] = {"first", "second", "third"};
    for (int i = 0; i < 3; ++i)
      case_manager.submitDownload(id * 10 + i, url + tag + "&delay=200&n=" + names[i], {},
                                  download_params(names[i], dir.file(std::to_string(id) + names[i])));
    case_manager.vmsdk_check_submit_download_to_max_count();  // "first" runs, the others wait
    ASSERT_TRUE(serverSaw(served.group(), tag + "&delay=200&n=first")) << c.priority;
    vemo::JsonPtr priorities(cJSON_Parse((std::string(R"({"third": )") + c.priority + "}").c_str()));
    case_manager.vmsdk_update_download_priority_in_thread(priorities.get());
    ASSERT_TRUE(case_sink.waitForResults(3)) << c.priority;
    std::vector<std::string> order;
    for (const RecordedRequest& request : recorded_requests(server_stats(served.group()).get()))
      if (request.path.find(tag + "&") != std::string::npos)
        order.push_back(request.path.substr(request.path.find("&n=") + 3));
    std::vector<std::string> expected =
        c.moves ? std::vector<std::string>{"first", "third", "second"} : std::vector<std::string>{"first", "second", "third"};
    EXPECT_EQ(expected, order) << c.priority;
    ++id;
  }
}

TEST_F(DownloadSchedulingTest, TheSpeedLimitBecomesABudgetPerWindow) {
  struct Step {
    int64_t limit_kb;
    int64_t read_buffer_size;
    int64_t window_limit;  // bytes per 500 ms afterwards; -1 unlimited
  } steps[] = {
      {1, 0, 8192},          // raised to the 16384 bytes/s floor
      {1, 32768, 16384},     // the read buffer size is the floor
      {200, 0, 102400},
      {0, 0, 102400},        // 0 keeps the limit
      {INT64_MAX, 0, INT64_MAX / 1024 * 1024 / 2},  // never wraps to a tiny limit
      {-3, 0, -1},
  };
  for (const Step& step : steps) {
    manager->update_download_config(step.limit_kb, step.read_buffer_size, 0, 0, 0);
    EXPECT_EQ(step.window_limit, manager->speedLimiter().windowLimit()) << step.limit_kb;
  }
}

TEST_F(DownloadSchedulingTest, ThirtyItemsWithTenMissingAllAnswer) {
  const std::string url = served.add("ok.bin", test_bytes(32 * 1024, 24));
  for (int i = 0; i < 30; ++i) {
    std::string item_url = i % 3 == 0 ? served.url("missing.bin") : url;
    manager->submitDownload(i + 1, item_url, {}, download_params("i" + std::to_string(i), dir.file("i" + std::to_string(i))));
  }
  manager->vmsdk_check_submit_download_to_max_count();
  ASSERT_TRUE(sink.waitForResults(30));
  for (int i = 0; i < 30; ++i) EXPECT_EQ(i % 3 == 0 ? 22 : 200, only_result(i + 1).status()) << i;
}

TEST_F(DownloadSchedulingTest, StoppingOneOrAListAnswersEveryStop) {
  manager->update_download_config(0, 0, 1, 0, 0);
  const std::string url = served.add("s.bin", test_bytes(512 * 1024, 25));
  manager->submitDownload(1, url + "&rate=50000", {}, download_params("running", dir.file("a")));
  manager->submitDownload(2, url, {}, download_params("dropped", dir.file("b")));
  manager->submitDownload(3, url, {}, download_params("kept", dir.file("c")));
  manager->vmsdk_check_submit_download_to_max_count();
  for (int i = 0; i < 200 && file_size(dir.file("a")) <= 0; ++i) Sleep(20);
  vemo::JsonPtr ids(cJSON_Parse(R"(["running", "dropped", "unknown"])"));
  manager->stopTask(52, "kept");  // still waiting: not taken off the queue
  manager->http_stop_with_task_arr(50, ids.get());
  manager->stopTask(51, "");
  ASSERT_TRUE(sink.waitForResults(6));
  EXPECT_EQ("{\"succ\":true}", only_result(50).json);
  EXPECT_EQ("{\"succ\":true}", only_result(52).json);
  EXPECT_EQ("task id is empty", only_result(51).text("msg"));
  EXPECT_EQ(VemoSDKHttp::kStatusStopped, only_result(1).status());
  EXPECT_EQ(200, only_result(3).status());
  EXPECT_EQ(VemoSDKHttp::kStatusStopped, only_result(2).status());
}

TEST_F(DownloadSchedulingTest, EveryWaitingItemAListStopRemovesIsAnsweredOnce) {
  manager->update_download_config(0, 0, 1, 0, 0);
  const std::string url = served.add("w.bin", test_bytes(256 * 1024, 29));
  manager->submitDownload(1, url + "&rate=50000", {}, download_params("busy", dir.file("busy")));
  vemo::JsonPtr ids(cJSON_CreateArray());
  constexpr int kWaiting = 50;
  for (int i = 0; i < kWaiting; ++i) {
    std::string id = "w" + std::to_string(i);
    manager->submitDownload(100 + i, url, {}, download_params(id, dir.file(id)));
    cJSON_AddItemToArray(ids.get(), cJSON_CreateString(id.c_str()));
  }
  manager->vmsdk_check_submit_download_to_max_count();  // "busy" runs, the rest wait
  manager->http_stop_with_task_arr(50, ids.get());
  ASSERT_TRUE(sink.waitForResults(1 + kWaiting));
  for (int i = 0; i < kWaiting; ++i) EXPECT_EQ(VemoSDKHttp::kStatusStopped, only_result(100 + i).status()) << i;
  EXPECT_EQ(0u, manager->pendingCount());
  ASSERT_TRUE(sink.waitForResults(2 + kWaiting, std::chrono::seconds(30)));
  EXPECT_EQ(200, only_result(1).status());
  EXPECT_FALSE(file_exists(dir.file("w0")));
}

TEST_F(DownloadSchedulingTest, ATaskIdSubmittedAgainWhileItRunsIsRefused) {
  const std::string bytes = test_bytes(256 * 1024, 30);
  const std::string url = served.add("twice.bin", bytes);
  submit(1, url + "&rate=100000", download_params("twice", dir.file("twice"), "", reference_md5(bytes)));
  ASSERT_EQ(1u, manager->runningCount());  // about 2.6 s to go
  submit(2, url, download_params("twice", dir.file("twice"), "", reference_md5(bytes)));
  ASSERT_TRUE(sink.waitForResults(2, std::chrono::seconds(30)));
  EXPECT_EQ(VemoSDKHttp::kStatusBadParameter, only_result(2).status());
  EXPECT_EQ(200, only_result(1).status());
  EXPECT_EQ(bytes, read(dir.file("twice")));
}

TEST_F(DownloadSchedulingTest, TheSpeedLimitHoldsTheAverage) {
  manager->update_download_config(200, 0, 0, 0, 0);
  const std::string bytes = test_bytes(2048000, 26);  // 10 s at 200 KB/s
  const std::string url = served.add("limited.bin", bytes);
  auto began = std::chrono::steady_clock::now();
  submit(1, url, download_params("limited", dir.file("limited"), "", reference_md5(bytes)));
  ASSERT_TRUE(sink.waitForResults(1, std::chrono::seconds(40)));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  EXPECT_EQ(200, only_result(1).status());
  double rate = static_cast<double>(bytes.size()) / seconds;
  EXPECT_NEAR(204800.0, rate, 204800.0 * 0.15) << seconds << " s";
}

// Reports the network as down for the lifetime of the guard.
struct OfflineNetwork {
  OfflineNetwork() { VemoSDKHttp::set_network_state_source([] { return VemoSDKHttp::kNetworkStateOffline; }); }
  ~OfflineNetwork() { VemoSDKHttp::set_network_state_source(nullptr); }
};

TEST_F(DownloadSchedulingTest, ANetworkDownAbortsOnlySilentTransfers) {
  OfflineNetwork offline;
  const std::string bytes = test_bytes(300 * 1024, 27);
  const std::string url = served.add("n.bin", bytes);
  // Still receiving: goes on (a LAN mirror works without internet).
  submit(1, url + "&rate=150000", download_params("flowing", dir.file("flowing")));
  ASSERT_TRUE(sink.waitForResults(1));
  EXPECT_EQ(200, only_result(1).status());

  // Silent: given up, and its slot is not handed on while the network is down.
  manager->update_download_config(0, 0, 1, 0, 0);
  manager->submitDownload(2, url + "&delay=8000", {}, download_params("silent", dir.file("silent")));
  manager->submitDownload(3, url, {}, download_params("waiting", dir.file("waiting")));
  manager->vmsdk_check_submit_download_to_max_count();
  ASSERT_TRUE(sink.waitForResults(2, std::chrono::seconds(7)));
  EXPECT_EQ(VemoSDKHttp::kStatusNetworkDown, only_result(2).status());
  Sleep(500);
  EXPECT_TRUE(sink.resultsFor(3).empty());
  EXPECT_EQ(1u, manager->pendingCount());
}

}  // namespace
}  // namespace vemo::test
