#include "core/debug_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"

namespace {

struct Received {
  int level;
  std::string text;
  int length;
};

std::mutex g_received_lock;
std::vector<Received> g_received;

void record(int level, const char* text, int length) {
  std::lock_guard<std::mutex> lock(g_received_lock);
  g_received.push_back({level, text, length});
}

// A host whose callback logs again, as a careless host would.
void record_and_log(int level, const char* text, int length) {
  record(level, text, length);
  vemo_debug_printf("echo from the callback\n");
}

class DebugLog : public ::testing::Test {
protected:
  void SetUp() override {
    g_received.clear();
    vemo_debug_set_console(0);
    vemo_debug_set_callback(nullptr);
  }
  void TearDown() override {
    vemo_debug_set_console(0);
    vemo_debug_set_callback(nullptr);
  }
};

TEST_F(DebugLog, SwitchedOffWritesNothing) {
  vemo_debug_set_callback(record);
  EXPECT_EQ(vemo_debug_enabled(), 0);
  EXPECT_EQ(vemo_debug_printf("%d\n", 1), 0);
  EXPECT_EQ(vemo_debug_print("x"), 0);
  EXPECT_TRUE(g_received.empty());
}

TEST_F(DebugLog, CallbackGetsLevelTwoAndTheRawText) {
  vemo_debug_set_console(1);
  EXPECT_EQ(vemo_debug_set_callback(record), record);
  EXPECT_EQ(vemo_debug_enabled(), 1);
  EXPECT_EQ(vemo_debug_printf("value %d and %s\n", 7, u8"\u4e2d\u6587"), 1);
  EXPECT_EQ(vemo_debug_print("100% raw %s %n"), 1);  // never used as a format
  ASSERT_EQ(g_received.size(), 2u);
  EXPECT_EQ(g_received[0].level, 2);
  EXPECT_EQ(g_received[0].text, u8"value 7 and \u4e2d\u6587\n");
  EXPECT_EQ(g_received[0].length, static_cast<int>(g_received[0].text.size()));
  EXPECT_EQ(g_received[1].text, "100% raw %s %n");
}

TEST_F(DebugLog, ConsoleSwitchIsOneOrOff) {
  vemo_debug_set_callback(record);
  vemo_debug_set_console(2);
  EXPECT_EQ(vemo_debug_enabled(), 0);
  EXPECT_EQ(vemo_debug_print("x"), 0);
  EXPECT_TRUE(g_received.empty());
}

TEST_F(DebugLog, ACallbackThatLogsDoesNotDeadlock) {
  vemo_debug_set_console(1);
  vemo_debug_set_callback(record_and_log);
  std::atomic<bool> done{false};
  std::thread logger([&] {
    vemo_debug_print("outer");
    done = true;
  });
  logger.join();
  EXPECT_TRUE(done);
  ASSERT_EQ(g_received.size(), 1u);  // the echo went to standard output, not back in
  EXPECT_EQ(g_received[0].text, "outer");
}

TEST_F(DebugLog, LongLinesAreCut) {
  vemo_debug_set_console(1);
  vemo_debug_set_callback(record);
  std::string long_text(10000, 'L');
  vemo_debug_printf("%s", long_text.c_str());
  ASSERT_EQ(g_received.size(), 1u);
  EXPECT_EQ(g_received[0].text.size(), 4095u);
}

const std::regex kLine(R"((\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})\.(\d{3}) (\d+)-(\d+) VEMO_WIN: (.*))");

std::vector<std::string> lines_of(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(DebugLogOutput, WithoutCallbackOneFormattedLinePerMessage) {
  const std::pair<const char*, const char*> cases[] = {
      {"\"plain text\"", "plain text"},
      {"\"ends with newline\n\"", "ends with newline"},
      {"\"%s %d %n\"", "%s %d %n"},
  };
  for (const auto& [argument, expected] : cases) {
    vemo::test::ChildResult child = vemo::test::run_sibling("debug_log_probe.exe", std::string("text ") + argument);
    EXPECT_EQ(child.exit_code, 0) << argument;
    std::vector<std::string> lines = lines_of(child.output);
    ASSERT_EQ(lines.size(), 1u) << child.output;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, kLine)) << lines[0];
    EXPECT_EQ(match[10].str(), expected);
    EXPECT_EQ(child.output.back(), '\n');
    EXPECT_NE(child.output.find(expected + std::string("\n")), std::string::npos);
    EXPECT_EQ(child.output.find("\n\n"), std::string::npos);
  }
}

TEST(DebugLogOutput, EightThreadsGiveEveryLineIntact) {
  vemo::test::ChildResult child = vemo::test::run_sibling("debug_log_probe.exe", "threads 8 1000");
  ASSERT_EQ(child.exit_code, 0);
  std::vector<std::string> lines = lines_of(child.output);
  ASSERT_EQ(lines.size(), 8000u);
  const std::regex kBody(R"(thread (\d) line (\d+) of a line long enough to interleave)");
  std::map<int, int> per_thread;
  for (const std::string& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, kLine)) << line;
    std::string body = match[10].str();
    std::smatch body_match;
    ASSERT_TRUE(std::regex_match(body, body_match, kBody)) << body;
    int thread = std::stoi(body_match[1].str()), index = std::stoi(body_match[2].str());
    EXPECT_EQ(index, per_thread[thread]) << "lines of one thread stay in order";
    per_thread[thread] = index + 1;
  }
  EXPECT_EQ(per_thread.size(), 8u);
  for (const auto& [thread, count] : per_thread) EXPECT_EQ(count, 1000) << thread;
}

}  // namespace
