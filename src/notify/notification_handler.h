#pragma once
// What the toast library reports about one shown toast, handed on to the
// notification centre's listeners. Called on the Windows Runtime's threads.
#include "3rd/wintoast/wintoastlib.h"

#include <atomic>
#include <cstdint>

namespace VemoSDK::Notify {

class VemoNotificationHandler final : public WinToastLib::IWinToastHandler {
public:
  void setToastId(int64_t id) { toast_id_ = id; }
  int64_t toastId() const { return toast_id_; }

  void toastActivated(const std::wstring& response) const override;
  void toastActivated(int action_index) const override;
  void toastActivated() const override;
  void toastDismissed(int reason) const override;
  void toastFailed() const override;

private:
  std::atomic<int64_t> toast_id_{-1};  // -1 until the toast has been shown
};

}  // namespace VemoSDK::Notify
