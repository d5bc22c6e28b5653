#pragma once
// A modal dialog with one or two buttons over the host window: a dimmed
// background over the owner's client area and a rounded content window with
// the title, the message and the buttons. The button pressed answers the
// Lua callback id ({"index": 0} or {"index": 1}); closing the dialog any
// other way (Alt+F4) dismisses it with {"index": -1}. UI thread only.
#include "webview/popups/popup_window_classes.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/owners.h"

namespace VemoSDK {

class VemoAlert {
public:
  VemoAlert(HWND owner, int left, int top, int right, int bottom, DWORD style, int width, int height);
  ~VemoAlert();
  VemoAlert(const VemoAlert&) = delete;
  VemoAlert& operator=(const VemoAlert&) = delete;

  void setCentred(bool centred) { centred_ = centred; }
  // Runs once the alert has closed itself (a button, a dismissal).
  void setCloseCallback(std::function<void()> callback) { closeCallback_ = std::move(callback); }

  // Only the first call has effect while the dialog exists. kind 2 shows
  // both buttons, any other kind the first only.
  void show(const std::string& title, const std::string& message, int kind, const std::string& first,
            const std::string& second, int64_t callbackId);
  // Closes the dialog, re-enables and raises the owner, then runs the close callback.
  void hide();
  // The same without the close callback.
  void destroy();

  HWND contentWindow() const { return content_; }

private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void onButton(int index);
  void drawButton(const DRAWITEMSTRUCT& item) const;
  void closeWindows();

  HWND content_ = nullptr;
  HWND background_ = nullptr;
  HWND owner_;
  RECT area_;
  int width_;
  int height_;
  DWORD style_;
  bool centred_ = false;
  int64_t callbackId_ = 0;
  int kind_ = 1;
  std::wstring firstText_;
  std::wstring secondText_;
  std::unique_ptr<RichEditLibrary> richEdit_;
  vemo::UniqueGdiObject<HFONT> titleFont_, messageFont_, buttonFont_;
  std::function<void()> closeCallback_;
};

}  // namespace VemoSDK
