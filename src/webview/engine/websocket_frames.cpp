#include "webview/engine/websocket_frames.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

constexpr unsigned char kFin = 0x80;
constexpr unsigned char kOpContinuation = 0x0, kOpText = 0x1, kOpBinary = 0x2, kOpClose = 0x8, kOpPing = 0x9,
                        kOpPong = 0xA;

std::string encodeFrame(unsigned char opcode, const std::string& payload, std::uint32_t mask) {
  std::string frame;
  frame.reserve(payload.size() + 14);
  frame.push_back(static_cast<char>(kFin | opcode));
  const std::uint64_t length = payload.size();
  if (length < 126) {
    frame.push_back(static_cast<char>(0x80 | length));
  } else if (length <= 0xFFFF) {
    frame.push_back(static_cast<char>(0x80 | 126));
    frame.push_back(static_cast<char>(length >> 8));
    frame.push_back(static_cast<char>(length & 0xFF));
  } else {
    frame.push_back(static_cast<char>(0x80 | 127));
    for (int shift = 56; shift >= 0; shift -= 8) frame.push_back(static_cast<char>((length >> shift) & 0xFF));
  }
  const unsigned char key[4] = {static_cast<unsigned char>(mask >> 24), static_cast<unsigned char>(mask >> 16),
                                static_cast<unsigned char>(mask >> 8), static_cast<unsigned char>(mask)};
  frame.append(reinterpret_cast<const char*>(key), 4);
  for (std::size_t i = 0; i < payload.size(); ++i)
    frame.push_back(static_cast<char>(static_cast<unsigned char>(payload[i]) ^ key[i % 4]));
  return frame;
}

}  // namespace

std::string encodeWebSocketText(const std::string& message, std::uint32_t mask) {
  return encodeFrame(kOpText, message, mask);
}

std::string encodeWebSocketClose(std::uint32_t mask) { return encodeFrame(kOpClose, std::string(), mask); }

std::string encodeWebSocketPong(const std::string& payload, std::uint32_t mask) {
  return encodeFrame(kOpPong, payload, mask);
}

WebSocketReader::Result WebSocketReader::next(std::string& payload) {
  for (;;) {
    if (buffer_.size() < 2) return Result::kNeedMore;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data());
    const bool fin = (bytes[0] & kFin) != 0;
    const unsigned char opcode = bytes[0] & 0x0F;
    const bool masked = (bytes[1] & 0x80) != 0;
    std::uint64_t length = bytes[1] & 0x7F;
    std::size_t header = 2;
    if (length == 126) {
      if (buffer_.size() < 4) return Result::kNeedMore;
      length = (std::uint64_t(bytes[2]) << 8) | bytes[3];
      header = 4;
    } else if (length == 127) {
      if (buffer_.size() < 10) return Result::kNeedMore;
      length = 0;
      for (int i = 2; i < 10; ++i) length = (length << 8) | bytes[i];
      header = 10;
    }
    // A server never masks its frames; a frame larger than any message we
    // accept would only fill memory.
    if (masked || length > maxMessage_ || (bytes[0] & 0x70) != 0) return Result::kBroken;
    if (buffer_.size() - header < length) return Result::kNeedMore;
    std::string body = buffer_.substr(header, static_cast<std::size_t>(length));
    buffer_.erase(0, header + static_cast<std::size_t>(length));

    switch (opcode) {
      case kOpPing:
        payload = std::move(body);
        return Result::kPing;
      case kOpPong:
        continue;
      case kOpClose:
        return Result::kClosed;
      case kOpText:
      case kOpBinary:
        if (inFragments_) return Result::kBroken;
        if (fin) {
          payload = std::move(body);
          return Result::kMessage;
        }
        inFragments_ = true;
        partial_ = std::move(body);
        continue;
      case kOpContinuation:
        if (!inFragments_ || partial_.size() + body.size() > maxMessage_) return Result::kBroken;
        partial_ += body;
        if (!fin) continue;
        inFragments_ = false;
        payload = std::move(partial_);
        partial_.clear();
        return Result::kMessage;
      default:
        return Result::kBroken;
    }
  }
}

}  // namespace WebEngine
}  // namespace VemoSDK
