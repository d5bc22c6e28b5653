#pragma once
// The process's identity towards the toast system and the road from toast
// events to Lua. One per process; its calls come from the Lua thread, its
// triggerCallback from the Windows Runtime's threads.
#include "3rd/wintoast/wintoastlib.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VemoSDK::Notify {

struct AppIdentity {
  std::wstring game_name = L"VemoSDK";
  std::wstring clsid;
  std::wstring company = L"OstrivaneGames";
  std::wstring product;  // empty: the game name
  std::wstring sub_product;
  std::wstring version;
  bool skip_registration = false;
};

class NotificationActivator {
public:
  static NotificationActivator& instance();
  ~NotificationActivator();

  // Only the first call of the process does anything; true in every case.
  bool initialize(const AppIdentity& identity);
  bool initialized() const { return initialized_; }
  void setDuration(int duration) { duration_ = duration; }
  void setExpiration(int64_t milliseconds) { expiration_ = milliseconds; }

  int64_t showNotification(const std::wstring& title, const std::wstring& content, const std::wstring& image_path,
                           const std::vector<std::wstring>& actions);
  int64_t showToast(const WinToastLib::ToastTemplate& toast);
  bool hideToast(int64_t toast_id);
  void listenToast(int64_t callback_id, int64_t toast_id);
  // Posts an event of a toast to its listener, if it has one, and forgets it.
  static void triggerCallback(int64_t toast_id, int result, const char* event, const char* response = nullptr,
                              int action_index = -1);

private:
  NotificationActivator() = default;

  bool initialized_ = false;
  std::wstring aumid_;
  std::wstring app_name_;
  int audio_option_ = 0;
  int64_t expiration_ = 0;
  int duration_ = 2;
};

}  // namespace VemoSDK::Notify
