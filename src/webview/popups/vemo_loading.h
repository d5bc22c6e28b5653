#pragma once
// The loading pop-up: a 55 x 55 loading overlay centred on the host window.
// UI thread only.
#include "webview/overlay/loading_overlay.h"

#include <windows.h>

#include <memory>

namespace VemoSDK {

class VemoLoading {
public:
  explicit VemoLoading(HWND parent) : parent_(parent) {}
  ~VemoLoading();
  VemoLoading(const VemoLoading&) = delete;
  VemoLoading& operator=(const VemoLoading&) = delete;

  // Creates the overlay once and starts it.
  void show();
  // Stops and frees the overlay (while the parent is a window).
  void hide();

private:
  std::unique_ptr<Loading> overlay_;
  HWND parent_;
};

}  // namespace VemoSDK
