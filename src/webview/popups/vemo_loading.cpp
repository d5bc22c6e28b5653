#include "webview/popups/vemo_loading.h"

#include "core/debug_log.h"
#include "webview/overlay/window_placement.h"

namespace VemoSDK {

VemoLoading::~VemoLoading() {
  vemo_debug_print("wv===>VemoSDK::VemoLoading::destroy function called------");
  overlay_.reset();
}

void VemoLoading::show() {
  if (!overlay_) {
    RECT area = centreRect(parent_, 40, 40);
    overlay_ = std::make_unique<Loading>(parent_, area.left, area.top, area.right, area.bottom, WS_POPUP, 55, 55);
  }
  overlay_->start();
}

void VemoLoading::hide() {
  if (!IsWindow(parent_) || !overlay_) return;
  overlay_->stop();
  overlay_.reset();
}

}  // namespace VemoSDK
