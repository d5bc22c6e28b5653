#pragma once
// The native pop-ups as Lua reaches them: at most one alert, one loading
// pop-up and one toast over the host window (the window given at SDK
// start). Called on the Lua thread; the window work runs on the UI thread
// through the host's main-thread handler when one is set, else in place.
#include <cstdint>
#include <string>

namespace VemoSDK {

// A two-button alert for kind 2, else one button. Refused (false) while an
// alert is shown. The button pressed answers callbackId with {"index": n}.
bool show_alert(const std::string& title, const std::string& message, int kind, const std::string& first,
                const std::string& second, int64_t callbackId, int messageHeight, const std::string& alignType);
void vmsdk_modal_close();
void vmsdk_loading_show();
void vmsdk_loading_hide();
// An empty text closes the toast; any other shows it (in the toast already
// shown, if any).
void vmsdk_toast_open(const std::string& text, int messageHeight);

}  // namespace VemoSDK
