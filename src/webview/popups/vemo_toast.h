#pragma once
// A dark rounded text box over the host window. It stays until Lua closes
// it; closing it any other way (Alt+F4) removes it the same way, never ends
// the program. UI thread only.
#include "webview/popups/popup_window_classes.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/owners.h"

namespace VemoSDK {

class VemoToast {
public:
  VemoToast(HWND owner, int left, int top, int right, int bottom, DWORD style, int width, int height);
  ~VemoToast();
  VemoToast(const VemoToast&) = delete;
  VemoToast& operator=(const VemoToast&) = delete;

  // Runs when the toast was closed by other means than hide or destroy.
  void setCloseCallback(std::function<void()> callback) { closeCallback_ = std::move(callback); }
  // Only the first call has effect while the window exists.
  void show(const std::string& text);
  void hide();
  void destroy();

  HWND window() const { return window_; }

private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void closeWindow();

  HWND window_ = nullptr;
  HWND owner_;
  RECT area_;
  int width_;
  int height_;
  DWORD style_;
  std::unique_ptr<RichEditLibrary> richEdit_;
  vemo::UniqueGdiObject<HFONT> font_;
  std::function<void()> closeCallback_;
};

}  // namespace VemoSDK
