#include "webview/engine/devtools_socket.h"

#include <winsock2.h>

#include <random>

#include "core/owners.h"
#include "webview/engine/websocket_frames.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

void ensureCurlReady() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

size_t appendToString(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

// A socket buffer large enough that a whole frame of a big answer (a page's
// resource) normally goes out in one piece.
int enlargeSocketBuffers(void*, curl_socket_t socket, curlsocktype) {
  const int bytes = 4 << 20;
  setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
  setsockopt(socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
  return CURL_SOCKOPT_OK;
}

std::uint32_t randomMask() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  return static_cast<std::uint32_t>(generator());
}

bool isLoopbackUrl(const std::string& url, const char* scheme) {
  return url.compare(0, std::string(scheme).size() + 10, std::string(scheme) + "127.0.0.1:") == 0;
}

}  // namespace

bool fetchBrowserSocketUrl(const DevToolsEndpoint& endpoint, std::string& socketUrl, std::string& browser,
                           std::string& why) {
  ensureCurlReady();
  vemo::CurlEasy easy(curl_easy_init());
  if (!easy) {
    why = "libcurl could not start";
    return false;
  }
  const std::string url = "http://" + endpoint.host + ":" + std::to_string(endpoint.port) + "/json/version";
  std::string body;
  curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT_MS, 3000L);
  curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT_MS, 10000L);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, appendToString);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
  const CURLcode code = curl_easy_perform(easy.get());
  long status = 0;
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
  if (code != CURLE_OK || status != 200) {
    why = "no browser answers at " + url + " (" + curl_easy_strerror(code) + ", HTTP " + std::to_string(status) + ")";
    return false;
  }
  vemo::JsonPtr json(cJSON_Parse(body.c_str()));
  const cJSON* address = cJSON_GetObjectItemCaseSensitive(json.get(), "webSocketDebuggerUrl");
  const cJSON* product = cJSON_GetObjectItemCaseSensitive(json.get(), "Browser");
  if (!cJSON_IsString(address) || !isLoopbackUrl(address->valuestring, "ws://")) {
    why = url + " names no ws://127.0.0.1 address";
    return false;
  }
  socketUrl = address->valuestring;
  browser = cJSON_IsString(product) ? product->valuestring : "";
  return true;
}

DevToolsSocket::DevToolsSocket(vemo::CurlEasy easy) : easy_(std::move(easy)) {}

std::unique_ptr<DevToolsSocket> DevToolsSocket::open(const std::string& socketUrl, std::string& why) {
  ensureCurlReady();
  if (!isLoopbackUrl(socketUrl, "ws://")) {
    why = "not a ws://127.0.0.1 address: " + socketUrl;
    return nullptr;
  }
  vemo::CurlEasy easy(curl_easy_init());
  if (!easy) {
    why = "libcurl could not start";
    return nullptr;
  }
  curl_easy_setopt(easy.get(), CURLOPT_URL, socketUrl.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_NOPROXY, "*");
  curl_easy_setopt(easy.get(), CURLOPT_CONNECT_ONLY, 2L);  // the upgrade, then the socket is ours
  curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT_MS, 3000L);
  curl_easy_setopt(easy.get(), CURLOPT_SOCKOPTFUNCTION, enlargeSocketBuffers);
  const CURLcode code = curl_easy_perform(easy.get());
  if (code != CURLE_OK) {
    why = std::string("the WebSocket upgrade failed: ") + curl_easy_strerror(code);
    return nullptr;
  }
  // Reads and writes must never block while the other side waits for the lock.
  curl_socket_t socket = CURL_SOCKET_BAD;
  if (curl_easy_getinfo(easy.get(), CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK || socket == CURL_SOCKET_BAD) {
    why = "the WebSocket has no socket";
    return nullptr;
  }
  u_long nonBlocking = 1;
  ioctlsocket(socket, FIONBIO, &nonBlocking);
  return std::unique_ptr<DevToolsSocket>(new DevToolsSocket(std::move(easy)));
}

DevToolsSocket::~DevToolsSocket() {
  stopping_ = true;
  if (reader_.joinable()) reader_.join();
  if (!broken_) sendBytes(encodeWebSocketClose(randomMask()));
}

bool DevToolsSocket::waitSocket(bool forWrite, int milliseconds) const {
  curl_socket_t socket = CURL_SOCKET_BAD;
  if (curl_easy_getinfo(easy_.get(), CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK || socket == CURL_SOCKET_BAD)
    return false;
  fd_set set;
  FD_ZERO(&set);
  FD_SET(socket, &set);
  timeval timeout{milliseconds / 1000, (milliseconds % 1000) * 1000};
  const int ready = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &timeout);
  return ready > 0;
}

bool DevToolsSocket::send(const std::string& message) {
  return sendBytes(encodeWebSocketText(message, randomMask()));
}

bool DevToolsSocket::sendBytes(const std::string& bytes) {
  std::lock_guard<std::mutex> order(sendMutex_);
  size_t offset = 0;
  while (offset < bytes.size()) {
    if (broken_) return false;
    size_t sent = 0;
    CURLcode code;
    {
      std::lock_guard<std::mutex> lock(curlMutex_);
      code = curl_easy_send(easy_.get(), bytes.data() + offset, bytes.size() - offset, &sent);
    }
    if (code == CURLE_OK) {
      offset += sent;
    } else if (code == CURLE_AGAIN) {
      // The reader keeps draining meanwhile, so a browser that writes to us
      // while we write to it cannot wedge the connection.
      waitSocket(true, 100);
    } else {
      broken_ = true;
      return false;
    }
  }
  return true;
}

void DevToolsSocket::startReading(MessageHandler onMessage, EndHandler onEnd) {
  reader_ = std::thread([this, onMessage = std::move(onMessage), onEnd = std::move(onEnd)]() mutable {
    readLoop(std::move(onMessage), std::move(onEnd));
  });
}

void DevToolsSocket::readLoop(MessageHandler onMessage, EndHandler onEnd) {
  WebSocketReader frames;
  std::string buffer(64 * 1024, '\0');
  std::string why;
  while (!stopping_) {
    // Waiting outside the lock lets senders through meanwhile.
    if (!waitSocket(false, 100)) continue;
    size_t received = 0;
    CURLcode code;
    {
      std::lock_guard<std::mutex> lock(curlMutex_);
      code = curl_easy_recv(easy_.get(), &buffer[0], buffer.size(), &received);
    }
    if (code == CURLE_AGAIN) continue;
    if (code != CURLE_OK || received == 0) {
      why = code == CURLE_OK ? "the browser closed the connection" : curl_easy_strerror(code);
      break;
    }
    frames.feed(buffer.data(), received);
    std::string payload;
    WebSocketReader::Result result;
    while ((result = frames.next(payload)) != WebSocketReader::Result::kNeedMore) {
      if (result == WebSocketReader::Result::kMessage) {
        onMessage(std::move(payload));
      } else if (result == WebSocketReader::Result::kPing) {
        sendBytes(encodeWebSocketPong(payload, randomMask()));
      } else {
        why = result == WebSocketReader::Result::kClosed ? "the browser closed the connection"
                                                         : "the browser sent a broken frame";
        break;
      }
    }
    if (!why.empty()) break;
  }
  if (stopping_) return;
  broken_ = true;
  onEnd(why);
}

}  // namespace WebEngine
}  // namespace VemoSDK
