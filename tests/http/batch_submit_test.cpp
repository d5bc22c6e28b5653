// The bundling of batch results and events, on a clock and a timer the test
// drives itself.
#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <string>
#include <vector>

#include "http/batch_submit_manager.h"

namespace {

using vemo::JsonPtr;

class FakeEnvironment final : public DowloadBatchSubmitManager::Environment {
public:
  int64_t nowMs() override { return now; }
  int64_t eventTimeMs() override { return 1700000000123; }
  bool startFlushTimer(DowloadBatchSubmitManager&, uint32_t delay_ms) override {
    EXPECT_EQ(100u, delay_ms);
    ++timers;
    return timers_work;
  }
  void post(int64_t batch_id, const std::string& json) override { posts.push_back({batch_id, json}); }

  int64_t now = 50000;
  int timers = 0;
  bool timers_work = true;
  struct Post {
    int64_t batch;
    std::string json;
  };
  std::vector<Post> posts;
};

JsonPtr object(const char* json) { return JsonPtr(cJSON_Parse(json)); }
JsonPtr result(int status) { return object(("{\"headers\":{},\"status\":" + std::to_string(status) + "}").c_str()); }
JsonPtr header_event() { return object(R"({"received":0,"total":10,"type":"header","ext":{"headers":{}}})"); }
JsonPtr progress_event(int received) {
  return object(("{\"url\":\"u\",\"file\":\"f\",\"received\":" + std::to_string(received) + ",\"total\":100}").c_str());
}

// One bundle's list, with each item shown as "<cb_type>:<cbid>[:<type or status>]".
std::vector<std::string> items_of(const std::string& bundle) {
  std::vector<std::string> items;
  JsonPtr root(cJSON_Parse(bundle.c_str()));
  const cJSON* list = cJSON_GetObjectItemCaseSensitive(root.get(), "list");
  for (const cJSON* item = list ? list->child : nullptr; item; item = item->next) {
    std::string shown = cJSON_GetStringValue(cJSON_GetObjectItemCaseSensitive(item, "cb_type"));
    shown += ":" + std::to_string(static_cast<long long>(cJSON_GetObjectItemCaseSensitive(item, "cbid")->valuedouble));
    const cJSON* type = cJSON_GetObjectItemCaseSensitive(item, "type");
    const cJSON* status = cJSON_GetObjectItemCaseSensitive(item, "status");
    const cJSON* received = cJSON_GetObjectItemCaseSensitive(item, "received");
    if (cJSON_IsString(type))
      shown += std::string(":") + type->valuestring;
    else if (cJSON_IsNumber(status))
      shown += ":" + std::to_string(status->valueint);
    else if (cJSON_IsNumber(received))
      shown += ":progress" + std::to_string(received->valueint);
    items.push_back(shown);
  }
  return items;
}

class BatchSubmitTest : public ::testing::Test {
protected:
  // The timer fires `after` ms later (a timer armed 100 ms after a flush
  // fires a little more than 100 ms after it).
  void fire(int64_t after = 150) {
    env.now += after;
    manager.checkStartTimerCallback();
  }
  FakeEnvironment env;
  DowloadBatchSubmitManager manager{env};
};

TEST_F(BatchSubmitTest, ABatchsResultsArriveInOneBundleWithTheirIds) {
  manager.addAsyncCallResult(7, 3, result(200), false, true);
  manager.addAsyncCallResult(7, 1, result(404), false, false);
  manager.addAsyncCallResult(7, 2, result(200), false, true);
  EXPECT_EQ(1, env.timers);  // armed once for all three
  fire();
  ASSERT_EQ(1u, env.posts.size());
  EXPECT_EQ(7, env.posts[0].batch);
  EXPECT_EQ((std::vector<std::string>{"ASYNC_CALL:1:404", "ASYNC_CALL:2:200", "ASYNC_CALL:3:200"}),
            items_of(env.posts[0].json));
  JsonPtr bundle(cJSON_Parse(env.posts[0].json.c_str()));
  const cJSON* first = cJSON_GetArrayItem(cJSON_GetObjectItemCaseSensitive(bundle.get(), "list"), 0);
  EXPECT_EQ(7, cJSON_GetObjectItemCaseSensitive(first, "batchSubmitCbid")->valuedouble);
  EXPECT_TRUE(cJSON_IsFalse(cJSON_GetObjectItemCaseSensitive(first, "rename_ret")));
  EXPECT_EQ(1700000000123.0, cJSON_GetObjectItemCaseSensitive(
                                 cJSON_GetObjectItemCaseSensitive(first, "http_ext_params"), "event_time")
                                 ->valuedouble);
  fire();  // nothing left: no bundle, no new timer
  EXPECT_EQ(1u, env.posts.size());
  EXPECT_EQ(1, env.timers);
}

TEST_F(BatchSubmitTest, IdsBeyondTwoToThe53StayExact) {
  const int64_t batch = (int64_t{1} << 60) + 1;
  const int64_t id = (int64_t{1} << 62) + 3;
  manager.addAsyncCallResult(batch, id, result(200), false, true);
  manager.addHttpEvent(batch, id + 1, header_event(), true);
  fire();
  ASSERT_EQ(1u, env.posts.size());
  EXPECT_EQ(batch, env.posts[0].batch);
  const std::string& json = env.posts[0].json;
  EXPECT_NE(std::string::npos, json.find("\"cbid\":4611686018427387907")) << json;
  EXPECT_NE(std::string::npos, json.find("\"cbid\":4611686018427387908")) << json;
  EXPECT_NE(std::string::npos, json.find("\"batchSubmitCbid\":1152921504606846977")) << json;
}

TEST_F(BatchSubmitTest, HeaderEventsOfSuccessesAreDroppedAndThoseOfFailuresDelivered) {
  for (int64_t id : {1, 2, 3}) manager.addHttpEvent(5, id, header_event(), true);
  manager.addAsyncCallResult(5, 1, result(200), false, true);
  manager.addAsyncCallResult(5, 2, result(22), false, false);
  fire();
  ASSERT_EQ(1u, env.posts.size());
  // Results first, then the header events that are left.
  EXPECT_EQ((std::vector<std::string>{"ASYNC_CALL:1:200", "ASYNC_CALL:2:22", "HTTP_EVENT:2:header",
                                      "HTTP_EVENT:3:header"}),
            items_of(env.posts[0].json));
  // A header already delivered is not taken back by a later success.
  manager.addAsyncCallResult(5, 3, result(200), false, true);
  fire();
  ASSERT_EQ(2u, env.posts.size());
  EXPECT_EQ((std::vector<std::string>{"ASYNC_CALL:3:200"}), items_of(env.posts[1].json));
}

TEST_F(BatchSubmitTest, TwoBatchesShareOneProgressSlot) {
  manager.addAsyncCallResult(1, 10, result(200), false, true);
  manager.addAsyncCallResult(2, 20, result(200), false, true);
  manager.addHttpEvent(1, 11, progress_event(30), false);
  manager.addHttpEvent(2, 21, progress_event(40), false);
  manager.addHttpEvent(1, 12, progress_event(50), false);
  fire();
  ASSERT_EQ(2u, env.posts.size());
  EXPECT_EQ(1, env.posts[0].batch);
  EXPECT_EQ((std::vector<std::string>{"ASYNC_CALL:10:200", "HTTP_EVENT:12:progress50"}), items_of(env.posts[0].json));
  EXPECT_EQ(2, env.posts[1].batch);
  EXPECT_EQ((std::vector<std::string>{"ASYNC_CALL:20:200"}), items_of(env.posts[1].json));
}

TEST_F(BatchSubmitTest, WithinAFlushIntervalOnly20ResultsFlushEarly) {
  manager.addAsyncCallResult(1, 1, result(200), false, true);
  fire();
  ASSERT_EQ(1u, env.posts.size());
  for (int64_t id = 100; id < 119; ++id) manager.addAsyncCallResult(1, id, result(200), false, true);
  fire(50);  // 19 results 50 ms after the last flush: they wait
  EXPECT_EQ(1u, env.posts.size());
  EXPECT_EQ(3, env.timers);  // armed again
  manager.addAsyncCallResult(1, 119, result(200), false, true);
  fire(10);  // the 20th: delivered at once
  ASSERT_EQ(2u, env.posts.size());
  EXPECT_EQ(20u, items_of(env.posts[1].json).size());

  for (int64_t id = 200; id < 219; ++id) manager.addAsyncCallResult(1, id, result(200), false, true);
  fire(50);
  EXPECT_EQ(2u, env.posts.size());
  fire(60);  // more than 100 ms after the last flush: 19 are enough
  ASSERT_EQ(3u, env.posts.size());
  EXPECT_EQ(19u, items_of(env.posts[2].json).size());
}

TEST_F(BatchSubmitTest, ProgressArmsTheTimerAtMostOncePerInterval) {
  struct Case {
    int32_t interval;  // 0: the default
    int timers;
  } cases[] = {{0, 1}, {250, 4}, {100, 6}};
  for (const Case& c : cases) {
    FakeEnvironment env;
    DowloadBatchSubmitManager manager{env};
    if (c.interval > 0) manager.updateProgressNotifyIntervalMills(c.interval);
    // Eleven progress events, 100 ms apart; each timer fires 50 ms after it
    // was armed.
    for (int k = 0; k <= 10; ++k) {
      int timers_before = env.timers;
      manager.addHttpEvent(3, 30, progress_event(k), false);
      if (env.timers > timers_before) {
        env.now += 50;
        manager.checkStartTimerCallback();
        env.now += 50;
      } else {
        env.now += 100;
      }
    }
    EXPECT_EQ(c.timers, env.timers) << "interval " << c.interval;
    EXPECT_EQ(static_cast<size_t>(c.timers), env.posts.size()) << "interval " << c.interval;
  }
}

TEST_F(BatchSubmitTest, WithoutATimerItemsAreDeliveredAtOnce) {
  env.timers_work = false;
  manager.addAsyncCallResult(4, 40, result(200), false, true);
  ASSERT_EQ(1u, env.posts.size());
  manager.addHttpEvent(4, 41, header_event(), true);  // within 100 ms of the last: still delivered
  EXPECT_EQ(2u, env.posts.size());
}

TEST_F(BatchSubmitTest, ATimerThatNeverFiredIsReplaced) {
  manager.addAsyncCallResult(6, 60, result(200), false, true);
  EXPECT_EQ(1, env.timers);
  env.now += 500;
  manager.addAsyncCallResult(6, 61, result(200), false, true);
  EXPECT_EQ(1, env.timers);  // the first timer may still fire
  env.now += 5000;           // it went with its pool
  manager.addAsyncCallResult(6, 62, result(200), false, true);
  EXPECT_EQ(2, env.timers);
  fire();
  ASSERT_EQ(1u, env.posts.size());
  EXPECT_EQ(3u, items_of(env.posts[0].json).size());
}

}  // namespace
