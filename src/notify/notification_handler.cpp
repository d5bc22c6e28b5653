#include "notify/notification_handler.h"

#include "core/debug_log.h"
#include "core/text_convert.h"
#include "notify/notification_activator.h"

namespace VemoSDK::Notify {

namespace {

constexpr int kActivated = 0;
constexpr int kDismissed = 1;
constexpr int kFailed = 2;

const char* dismissalName(int reason) {
  switch (reason) {
    case WinToastLib::IWinToastHandler::UserCanceled: return "user_canceled";
    case WinToastLib::IWinToastHandler::ApplicationHidden: return "application_hidden";
    case WinToastLib::IWinToastHandler::TimedOut: return "timed_out";
    default: return "unknown_toast_dismissed";
  }
}

}  // namespace

void VemoNotificationHandler::toastActivated(const std::wstring& response) const {
  std::string text = wstring_to_utf8(response);
  NotificationActivator::triggerCallback(toast_id_, kActivated, "activated_response", text.c_str());
}

void VemoNotificationHandler::toastActivated(int action_index) const {
  NotificationActivator::triggerCallback(toast_id_, kActivated, "activated_actions", nullptr, action_index);
}

void VemoNotificationHandler::toastActivated() const {
  vemo_debug_printf("NotificationActivator toastActivated toastId is %lld", static_cast<long long>(toast_id_));
  NotificationActivator::triggerCallback(toast_id_, kActivated, "activated");
}

void VemoNotificationHandler::toastDismissed(int reason) const {
  vemo_debug_printf("NotificationActivator toastDismissed state is %d,event is %s", reason, dismissalName(reason));
  NotificationActivator::triggerCallback(toast_id_, kDismissed, "toast_dismissed");
}

void VemoNotificationHandler::toastFailed() const {
  NotificationActivator::triggerCallback(toast_id_, kFailed, "toast_failed");
}

}  // namespace VemoSDK::Notify
