#pragma once
// The small close button a web view window shows in its top-right corner:
// an owned, layered popup (constant alpha 179) painting a 36 x 36 close
// glyph. A click hands over to the owner's callable, which must not destroy
// the button from inside its own window procedure. UI thread only.
#include "webview/overlay/window_image.h"

#include <windows.h>

#include <functional>

namespace VemoSDK {

class VemoWebViewCloseView {
public:
  static constexpr int kSize = 36;

  // rect: in the owner's client coordinates. The button starts hidden.
  VemoWebViewCloseView(HWND owner, const RECT& rect, std::function<void()> onClick);
  ~VemoWebViewCloseView();
  VemoWebViewCloseView(const VemoWebViewCloseView&) = delete;
  VemoWebViewCloseView& operator=(const VemoWebViewCloseView&) = delete;

  // Stores the rectangle; a visible button moves there and is clipped to
  // the part of it inside the owner's client area.
  void setRect(const RECT& rect);
  void setVisible(bool visible);

  bool visible() const { return visible_; }
  const RECT& rect() const { return rect_; }
  HWND window() const { return hwnd_; }
  HWND owner() const { return owner_; }

  // The button of a button window, or null.
  static VemoWebViewCloseView* fromHandle(HWND window);

private:
  void place();
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND owner_;
  HWND hwnd_ = nullptr;
  RECT rect_;
  std::function<void()> onClick_;
  bool visible_ = false;
  WindowImage glyph_;
};

}  // namespace VemoSDK
