#include "webview/engine/devtools_connection.h"

#include "core/debug_log.h"
#include "core/owners.h"

namespace VemoSDK {
namespace WebEngine {

std::shared_ptr<DevToolsConnection> DevToolsConnection::open(const std::string& socketUrl,
                                                             std::shared_ptr<UiThreadPoster> poster,
                                                             std::string& why) {
  std::unique_ptr<DevToolsSocket> socket = DevToolsSocket::open(socketUrl, why);
  if (!socket) return nullptr;
  std::shared_ptr<DevToolsConnection> connection(new DevToolsConnection());
  connection->socket_ = std::move(socket);
  connection->poster_ = std::move(poster);
  std::weak_ptr<DevToolsConnection> weak = connection;
  std::shared_ptr<UiThreadPoster> target = connection->poster_;
  connection->socket_->startReading(
      [weak, target](std::string message) {
        target->post([weak, message = std::move(message)] {
          if (auto self = weak.lock()) self->dispatch(message);
        });
      },
      [weak, target](const std::string& reason) {
        target->post([weak, reason] {
          if (auto self = weak.lock()) self->end(reason);
        });
      });
  return connection;
}

DevToolsConnection::~DevToolsConnection() = default;

void DevToolsConnection::call(const std::string& sessionId, const std::string& method, vemo::JsonPtr params,
                              Reply reply) {
  const int id = nextId_++;
  vemo::JsonPtr message(cJSON_CreateObject());
  cJSON_AddNumberToObject(message.get(), "id", id);
  cJSON_AddStringToObject(message.get(), "method", method.c_str());
  cJSON_AddItemToObject(message.get(), "params", params ? params.release() : cJSON_CreateObject());
  if (!sessionId.empty()) cJSON_AddStringToObject(message.get(), "sessionId", sessionId.c_str());
  const std::string text = vemo::print_json(message.get());
  if (!open_ || !socket_->send(text)) {
    // Replies always come later, never inside the call.
    if (reply) {
      poster_->post([reply] { reply(nullptr, "the browser connection is closed"); });
    }
    return;
  }
  if (reply) pending_[id] = std::move(reply);
}

void DevToolsConnection::setEventHandler(const std::string& sessionId, EventHandler handler) {
  handlers_[sessionId] = std::move(handler);
}

void DevToolsConnection::removeEventHandler(const std::string& sessionId) { handlers_.erase(sessionId); }

void DevToolsConnection::dispatch(const std::string& text) {
  vemo::JsonPtr message(cJSON_Parse(text.c_str()));
  if (!cJSON_IsObject(message.get())) {
    vemo_debug_printf("web engine: the browser sent a message that is no JSON object\n");
    return;
  }
  const cJSON* id = cJSON_GetObjectItemCaseSensitive(message.get(), "id");
  if (cJSON_IsNumber(id)) {
    auto found = pending_.find(id->valueint);
    if (found == pending_.end()) return;
    Reply reply = std::move(found->second);
    pending_.erase(found);
    const cJSON* error = cJSON_GetObjectItemCaseSensitive(message.get(), "error");
    if (error) {
      const cJSON* text = cJSON_GetObjectItemCaseSensitive(error, "message");
      reply(nullptr, cJSON_IsString(text) && text->valuestring[0] ? text->valuestring : "DevTools error");
    } else {
      reply(cJSON_GetObjectItemCaseSensitive(message.get(), "result"), std::string());
    }
    return;
  }
  const cJSON* method = cJSON_GetObjectItemCaseSensitive(message.get(), "method");
  if (!cJSON_IsString(method)) return;
  const cJSON* session = cJSON_GetObjectItemCaseSensitive(message.get(), "sessionId");
  auto handler = handlers_.find(cJSON_IsString(session) ? session->valuestring : "");
  if (handler == handlers_.end()) return;
  // A copy: the handler may remove itself.
  EventHandler run = handler->second;
  run(method->valuestring, cJSON_GetObjectItemCaseSensitive(message.get(), "params"));
}

void DevToolsConnection::end(const std::string& why) {
  if (!open_) return;
  open_ = false;
  vemo_debug_printf("web engine: the browser connection ended: %s\n", why.c_str());
  std::map<int, Reply> waiting;
  waiting.swap(pending_);
  for (auto& entry : waiting) entry.second(nullptr, "the browser connection ended: " + why);
  if (endHandler_) endHandler_(why);
}

}  // namespace WebEngine
}  // namespace VemoSDK
