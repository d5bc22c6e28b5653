#include "notify/notification_activator.h"

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/owners.h"
#include "notify/notification_handler.h"
#include "notify/notification_listeners.h"

#include <objbase.h>

namespace VemoSDK::Notify {

using WinToastLib::ToastTemplate;
using WinToastLib::WinToast;

NotificationActivator& NotificationActivator::instance() {
  static NotificationActivator activator;
  return activator;
}

NotificationActivator::~NotificationActivator() {
  // At exit the thread's toast library may already be gone (it hides its
  // own toasts then); only a live one is cleared here.
  if (initialized_) {
    if (WinToast* toasts = WinToast::instanceIfAlive()) {
      if (toasts->isInitialized()) toasts->clear();
    }
  }
  NotificationListeners::instance().clear();
}

namespace {

void registerActivator(const std::wstring& aumid, std::wstring clsid_text) {
  if (clsid_text.empty()) return;
  if (clsid_text.front() != L'{') clsid_text = L"{" + clsid_text + L"}";
  CLSID clsid;
  if (FAILED(CLSIDFromString(clsid_text.c_str(), &clsid))) {
    vemo_debug_printf("VemoSDKNotification clsid is not a CLSID :  %ls", clsid_text.c_str());
    return;
  }
  HRESULT result = WinToastLib::RegisterAumidAndComServer(aumid, clsid);
  if (SUCCEEDED(result))
    vemo_debug_printf("VemoSDKNotification Register aumid and clsid successfully");
  else
    vemo_debug_printf("VemoSDKNotification Register aumid and clsid failed: 0x%08X", static_cast<unsigned>(result));
}

}  // namespace

bool NotificationActivator::initialize(const AppIdentity& identity) {
  if (initialized_) return true;
  std::wstring product = identity.product.empty() ? identity.game_name : identity.product;
  aumid_ = WinToast::configureAUMI(identity.company, product, identity.sub_product, identity.version);
  app_name_ = identity.game_name;
  vemo_debug_printf("VemoSDKNotification aumid is :  %ls", aumid_.c_str());
  vemo_debug_printf("VemoSDKNotification clsid is :  %ls", identity.clsid.c_str());
  if (!identity.skip_registration) registerActivator(aumid_, identity.clsid);

  WinToast* toasts = WinToast::instance();
  toasts->setAppName(app_name_);
  toasts->setAppUserModelId(aumid_);
  if (!toasts->initialize()) vemo_debug_printf("NotificationActivator WinToast initialization failed");
  initialized_ = true;
  return true;
}

int64_t NotificationActivator::showNotification(const std::wstring& title, const std::wstring& content,
                                                const std::wstring& image_path,
                                                const std::vector<std::wstring>& actions) {
  ToastTemplate toast(image_path.empty() ? ToastTemplate::Text02 : ToastTemplate::ImageAndText02);
  toast.setTextField(title, 0);
  toast.setTextField(content, 1);
  if (!image_path.empty()) {
    toast.setImagePath(image_path);
  } else {
    for (const std::wstring& label : actions) toast.addAction(label);
  }
  return showToast(toast);
}

int64_t NotificationActivator::showToast(const ToastTemplate& prepared) {
  WinToast* toasts = WinToast::instance();
  if (!toasts->isInitialized()) {
    vemo_debug_printf("NotificationActivator WinToast not initialized");
    return -1;
  }
  ToastTemplate toast = prepared;
  toast.setAudioOption(audio_option_);
  if (duration_ != 0) toast.setDuration(duration_);
  if (expiration_ > 0) toast.setExpiration(expiration_);
  auto handler = std::make_shared<VemoNotificationHandler>();
  int64_t id = toasts->showToast(toast, handler);
  handler->setToastId(id);
  if (id < 0) vemo_debug_printf("Failed to show toast notification");
  vemo_debug_printf("NotificationActivator showToast toastId is %lld", static_cast<long long>(id));
  return id;
}

bool NotificationActivator::hideToast(int64_t toast_id) {
  WinToast* toasts = WinToast::instance();
  if (!toasts->isInitialized()) {
    vemo_debug_printf("NotificationActivator WinToast not initialized");
    return false;
  }
  if (!toasts->hideToast(toast_id))
    vemo_debug_printf("NotificationActivator Failed to hide toast with ID %lld", static_cast<long long>(toast_id));
  if (auto callback_id = NotificationListeners::instance().take(toast_id)) {
    vemo::JsonPtr hidden(cJSON_CreateObject());
    cJSON_AddBoolToObject(hidden.get(), "succ", true);
    cJSON_AddStringToObject(hidden.get(), "event", "manually_hidden");
    cJSON_AddNumberToObject(hidden.get(), "notification_id", static_cast<double>(toast_id));
    postAsyncResult(*callback_id, vemo::print_json(hidden.get()).c_str());
  }
  return true;
}

void NotificationActivator::listenToast(int64_t callback_id, int64_t toast_id) {
  vemo_debug_printf("NotificationActivator listenToast toastId is, %lld, cbId is %lld", static_cast<long long>(toast_id),
                    static_cast<long long>(callback_id));
  NotificationListeners::instance().listen(toast_id, callback_id);
}

void NotificationActivator::triggerCallback(int64_t toast_id, int result, const char* event, const char* response,
                                            int action_index) {
  vemo_debug_printf("NotificationActivator triggerCallback toastId is %lld", static_cast<long long>(toast_id));
  auto callback_id = NotificationListeners::instance().take(toast_id);
  if (!callback_id) return;
  vemo::JsonPtr message(cJSON_CreateObject());
  cJSON* object = message.get();
  cJSON_AddBoolToObject(object, "succ", true);
  cJSON_AddNumberToObject(object, "result", result);
  cJSON_AddStringToObject(object, "event", event);
  cJSON_AddNumberToObject(object, "notification_id", static_cast<double>(toast_id));
  if (action_index >= 0) cJSON_AddNumberToObject(object, "action_index", action_index);
  if (response) cJSON_AddStringToObject(object, "response", response);
  vemo::JsonText printed(cJSON_Print(object));
  if (!printed) return;
  postAsyncResult(*callback_id, printed.get());
}

}  // namespace VemoSDK::Notify
