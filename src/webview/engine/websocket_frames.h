#pragma once
// WebSocket framing (RFC 6455) for the client side of the DevTools
// connection: masked text frames out, whole messages back in. libcurl does
// the connection and the upgrade; its own frame reader in this version
// stalls when a frame header is split across two reads, so the bytes are
// framed here.
#include <cstddef>
#include <cstdint>
#include <string>

namespace VemoSDK {
namespace WebEngine {

// One masked, final text frame carrying the whole message.
std::string encodeWebSocketText(const std::string& message, std::uint32_t mask);
// A masked close frame.
std::string encodeWebSocketClose(std::uint32_t mask);
// A masked pong answering a ping's payload.
std::string encodeWebSocketPong(const std::string& payload, std::uint32_t mask);

// Collects received bytes and hands out complete messages. Text and binary
// messages (with their continuation frames joined) come out whole; pings
// come out for an answer; a close frame or a broken frame ends the stream.
class WebSocketReader {
public:
  enum class Result { kNeedMore, kMessage, kPing, kClosed, kBroken };

  explicit WebSocketReader(std::size_t maxMessageBytes = 64u << 20) : maxMessage_(maxMessageBytes) {}

  void feed(const char* data, std::size_t length) { buffer_.append(data, length); }
  // Takes the next event out of the bytes fed so far; kMessage and kPing
  // fill payload.
  Result next(std::string& payload);

private:
  std::string buffer_;
  std::string partial_;  // joined fragments of the message being received
  bool inFragments_ = false;
  std::size_t maxMessage_;
};

}  // namespace WebEngine
}  // namespace VemoSDK
