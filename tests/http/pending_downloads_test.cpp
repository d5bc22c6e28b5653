// The order in which waiting downloads start.
#include <gtest/gtest.h>

#include "http/pending_downloads.h"

namespace VemoSDKHttp {
namespace {

std::unique_ptr<SubmitParams> submission(const std::string& id, int32_t priority = 0, int64_t callback_id = 1) {
  auto out = std::make_unique<SubmitParams>();
  set_param_text(out->params.taskId, id);
  out->params.priority = priority;
  out->callbackId = callback_id;
  return out;
}

std::vector<std::string> drain(PendingDownloads& pending) {
  std::vector<std::string> order;
  while (auto next = pending.takeFront()) order.push_back(param_text(next->params.taskId));
  return order;
}

TEST(PendingDownloadsTest, HighPriorityGoesInFrontNormalInOrder) {
  PendingDownloads pending;
  pending.submit(submission("a"));
  pending.submit(submission("b"));
  pending.submit(submission("h1", 1));
  pending.submit(submission("c"));
  pending.submit(submission("h2", 3));
  EXPECT_TRUE(pending.frontIsHighPriority());
  EXPECT_EQ((std::vector<std::string>{"h2", "h1", "a", "b", "c"}), drain(pending));
  EXPECT_FALSE(pending.frontIsHighPriority());
  EXPECT_EQ(0u, pending.cacheSize());
}

TEST(PendingDownloadsTest, OnlyAHigherPriorityMovesATaskToTheFront) {
  PendingDownloads pending;
  pending.submit(submission("a", 2));
  pending.submit(submission("b"));
  pending.submit(submission("c"));
  EXPECT_FALSE(pending.raisePriority("a", 2));   // not higher
  EXPECT_FALSE(pending.raisePriority("b", -1));  // lower
  EXPECT_FALSE(pending.raisePriority("gone", 9));
  EXPECT_TRUE(pending.raisePriority("c", 1));
  EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), drain(pending));
}

TEST(PendingDownloadsTest, ADuplicateIdKeepsTheFirstSubmission) {
  PendingDownloads pending;
  EXPECT_TRUE(pending.submit(submission("a", 0, 11)));
  EXPECT_TRUE(pending.submit(submission("b")));
  EXPECT_FALSE(pending.submit(submission("a", 5, 22)));
  EXPECT_EQ(2u, pending.queueSize());
  auto first = pending.takeFront();
  EXPECT_EQ(11, first->callbackId);
  EXPECT_EQ((std::vector<std::string>{"b"}), drain(pending));
}

TEST(PendingDownloadsTest, RemovedTasksLeaveTheOthersInOrder) {
  PendingDownloads pending;
  for (const char* id : {"a", "b", "c", "d"}) pending.submit(submission(id));
  EXPECT_NE(nullptr, pending.remove("b"));
  EXPECT_EQ(nullptr, pending.remove("b"));
  EXPECT_NE(nullptr, pending.remove("d"));
  EXPECT_FALSE(pending.contains("b"));
  EXPECT_EQ((std::vector<std::string>{"a", "c"}), drain(pending));
}

}  // namespace
}  // namespace VemoSDKHttp
