#pragma once
// The layer between the toast library and whatever shows toasts: the
// Windows Runtime on a real system, a recorder in tests. It takes the
// finished XML and reports the user's actions back through ToastEvents.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace WinToastLib {

// What happened to a shown toast; called on system threads.
class ToastEvents {
public:
  virtual ~ToastEvents() = default;
  // arguments: the activation's argument text, null when it cannot be read.
  virtual void activated(const std::wstring* arguments) = 0;
  virtual void dismissed(int reason) = 0;
  virtual void failed() = 0;
};

class ToastPlatform {
public:
  virtual ~ToastPlatform() = default;
  // Shows the toast; 0, or the library's error code (6 the event handlers
  // could not be attached, 7 the toast could not be shown). expiration_ms:
  // 0 for none.
  virtual int show(const std::wstring& aumid, int64_t id, const std::wstring& xml, int64_t expiration_ms,
                   std::shared_ptr<ToastEvents> events) = 0;
  // Hides a shown toast; false for an unknown id or a failure (*error set).
  virtual bool hide(int64_t id, HRESULT* error) = 0;
  // Lets go of a toast without hiding it: its events stop.
  virtual void forget(int64_t id) = 0;
};

// The Windows Runtime platform.
std::shared_ptr<ToastPlatform> makeWinRtToastPlatform();

}  // namespace WinToastLib
