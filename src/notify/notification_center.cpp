#include "notify/notification_center.h"

#include "core/json_utils.h"
#include "core/text_convert.h"
#include "notify/notification_activator.h"

#include <string>
#include <vector>

using VemoSDK::Notify::AppIdentity;
using VemoSDK::Notify::NotificationActivator;

namespace {

// A non-empty text member in UTF-16, else the fallback.
std::wstring wideOr(const cJSON* object, const char* key, const std::wstring& fallback) {
  std::string text = json_string_or_empty(object, key);
  return text.empty() ? fallback : utf8_to_wstring(text);
}

int64_t integerOf(const cJSON* object, const char* key) {
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(object, key);
  return cJSON_IsNumber(item) ? static_cast<int64_t>(item->valuedouble) : 0;
}

AppIdentity identityOf(const cJSON* request) {
  AppIdentity identity;
  const cJSON* info = cJSON_GetObjectItemCaseSensitive(request, "notify_app_info");
  if (cJSON_IsObject(info)) {
    identity.company = wideOr(info, "company_name", identity.company);
    identity.game_name = wideOr(info, "game_name", identity.game_name);
    identity.product = wideOr(info, "product_name", L"");
    identity.sub_product = wideOr(info, "sub_product", L"");
    identity.version = wideOr(info, "version_info", L"");
    identity.clsid = wideOr(info, "clsid", L"");
  }
  identity.skip_registration = integerOf(request, "use_old_windows_process_cb") == 1;
  return identity;
}

std::vector<std::wstring> actionLabelsOf(const cJSON* request) {
  std::vector<std::wstring> labels;
  const cJSON* actions = cJSON_GetObjectItemCaseSensitive(request, "actions");
  if (!cJSON_IsArray(actions)) return labels;
  const cJSON* action = nullptr;
  cJSON_ArrayForEach(action, actions) {
    std::string text = json_string_or_empty(action, "text");
    if (!text.empty()) labels.push_back(utf8_to_wstring(text));
  }
  return labels;
}

}  // namespace

int64_t vmsdk_add_local_notification(const cJSON* request) {
  std::string title = json_string_or_empty(request, "title");
  std::string content = json_string_or_empty(request, "content");
  if (title.empty() || content.empty()) return -1;
  NotificationActivator& activator = NotificationActivator::instance();
  activator.initialize(identityOf(request));
  activator.setDuration(2);
  // Each notification has its own expiration: one without it never expires.
  activator.setExpiration(integerOf(request, "expiration"));
  return activator.showNotification(utf8_to_wstring(title), utf8_to_wstring(content),
                                    utf8_to_wstring(json_string_or_empty(request, "image_path")), actionLabelsOf(request));
}

void vmsdk_listen_local_notification(int64_t callback_id, int64_t toast_id) {
  NotificationActivator::instance().listenToast(callback_id, toast_id);
}

bool vmsdk_remove_local_notification(int64_t toast_id) { return NotificationActivator::instance().hideToast(toast_id); }

bool vmsdk_check_can_local_notification() {
  return WinToastLib::WinToast::isCompatible() && NotificationActivator::instance().initialized();
}
