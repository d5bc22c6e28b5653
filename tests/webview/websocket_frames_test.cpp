#include "webview/engine/websocket_frames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using VemoSDK::WebEngine::WebSocketReader;
using Result = WebSocketReader::Result;

// A server frame (unmasked) with the given first byte and payload.
std::string serverFrame(unsigned char first, const std::string& payload) {
  std::string frame(1, static_cast<char>(first));
  if (payload.size() < 126) {
    frame.push_back(static_cast<char>(payload.size()));
  } else if (payload.size() <= 0xFFFF) {
    frame.push_back(126);
    frame.push_back(static_cast<char>(payload.size() >> 8));
    frame.push_back(static_cast<char>(payload.size() & 0xFF));
  } else {
    frame.push_back(127);
    for (int shift = 56; shift >= 0; shift -= 8)
      frame.push_back(static_cast<char>((static_cast<unsigned long long>(payload.size()) >> shift) & 0xFF));
  }
  return frame + payload;
}

TEST(WebSocketFrames, ClientTextFramesAreMaskedWithTheRightLengthForm) {
  for (size_t size : {0u, 125u, 126u, 65535u, 65536u, 300000u}) {
    const std::string message(size, 'm');
    const std::string frame = VemoSDK::WebEngine::encodeWebSocketText(message, 0x01020304);
    const size_t header = size < 126 ? 2 : size <= 0xFFFF ? 4 : 10;
    ASSERT_EQ(header + 4 + size, frame.size()) << size;
    EXPECT_EQ('\x81', frame[0]);
    EXPECT_TRUE(static_cast<unsigned char>(frame[1]) & 0x80) << "masked";
    for (size_t i = 0; i < size; i += 4099)
      ASSERT_EQ('m', frame[header + 4 + i] ^ "\x01\x02\x03\x04"[i % 4]) << size << " at " << i;
  }
}

TEST(WebSocketFrames, MessagesComeOutWholeHoweverTheBytesArrive) {
  const std::string big(70000, 'x');
  const std::string stream = serverFrame(0x81, "{\"id\":1}") + serverFrame(0x89, "pp") +
                             serverFrame(0x01, "part one, ") + serverFrame(0x80, "part two") +
                             serverFrame(0x81, big) + serverFrame(0x88, "");
  for (size_t piece : {1u, 2u, 3u, 7u, 4096u, 1000000u}) {
    WebSocketReader reader;
    std::vector<std::pair<Result, std::string>> events;
    for (size_t at = 0; at < stream.size(); at += piece) {
      reader.feed(stream.data() + at, std::min(piece, stream.size() - at));
      std::string payload;
      Result result;
      while ((result = reader.next(payload)) != Result::kNeedMore) {
        events.emplace_back(result, payload);
        if (result == Result::kClosed) break;
      }
    }
    ASSERT_EQ(5u, events.size()) << piece;
    EXPECT_EQ(Result::kMessage, events[0].first);
    EXPECT_EQ("{\"id\":1}", events[0].second);
    EXPECT_EQ(Result::kPing, events[1].first);
    EXPECT_EQ("pp", events[1].second);
    EXPECT_EQ("part one, part two", events[2].second);
    EXPECT_EQ(big, events[3].second);
    EXPECT_EQ(Result::kClosed, events[4].first);
  }
}

TEST(WebSocketFrames, BrokenFramesEndTheStream) {
  const std::string cases[] = {
      std::string("\x81\x82\x01\x02\x03\x04" "ab", 8),  // masked by the server
      serverFrame(0x80, "continuation without a start"),
      serverFrame(0x01, "start") + serverFrame(0x81, "a new message inside a fragmented one"),
      serverFrame(0x83, "reserved opcode"),
      serverFrame(0xC1, "reserved bit"),
  };
  for (const std::string& bytes : cases) {
    WebSocketReader reader;
    reader.feed(bytes.data(), bytes.size());
    std::string payload;
    Result result;
    while ((result = reader.next(payload)) == Result::kMessage) {
    }
    EXPECT_EQ(Result::kBroken, result);
  }
  WebSocketReader small(1000);
  const std::string huge = serverFrame(0x81, std::string(1001, 'h'));
  small.feed(huge.data(), 10);  // the length alone is enough to refuse it
  std::string payload;
  EXPECT_EQ(Result::kBroken, small.next(payload));
}

}  // namespace
