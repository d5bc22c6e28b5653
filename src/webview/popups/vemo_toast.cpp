#include "webview/popups/vemo_toast.h"

#include "core/debug_log.h"
#include "core/text_convert.h"

#include <richedit.h>

#include <map>

namespace VemoSDK {
namespace {

constexpr const wchar_t* kToastClass = L"VemoSDKToastViewBackGround";
const COLORREF kToastGrey = RGB(76, 76, 76);

// Toast window -> its toast (UI thread).
std::map<HWND, VemoToast*>& toasts() {
  static std::map<HWND, VemoToast*> map;
  return map;
}

HBRUSH toastBrush() {
  static HBRUSH brush = CreateSolidBrush(kToastGrey);  // one for the process
  return brush;
}

}  // namespace

VemoToast::VemoToast(HWND owner, int left, int top, int right, int bottom, DWORD style, int width, int height)
    : owner_(owner), area_{left, top, right, bottom}, width_(width), height_(height), style_(style) {}

VemoToast::~VemoToast() { closeWindow(); }

void VemoToast::show(const std::string& text) {
  if (window_) {
    vemo_debug_print("wv===>VemoSDK::VemoToast::show, alert _running true");
    return;
  }
  if (!registerPopupClass(kToastClass, procedure, kToastGrey)) return;
  richEdit_ = std::make_unique<RichEditLibrary>();
  int left = area_.left + (area_.right - area_.left - width_) / 2;
  int top = area_.top + (area_.bottom - area_.top - height_) / 2;
  vemo_debug_printf("wv===>VemoSDK::VemoToast::show, left = %d, top = %d, right = %d, bottom = %d", left, top,
                    left + width_, top + height_);
  window_ = CreateWindowExW(WS_EX_LAYERED, kToastClass, L"", style_, left, top, width_, height_, owner_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!window_) {
    vemo_debug_print("wv===>VemoSDK::VemoToast::show, create window failed, _loading_window is NULL");
    return;
  }
  toasts()[window_] = this;
  SetLayeredWindowAttributes(window_, 0, 255, LWA_ALPHA);
  SetWindowRgn(window_, CreateRoundRectRgn(0, 0, width_ + 1, height_ + 1, 12, 12), TRUE);
  font_.reset(makePopupFont(16, 400));
  HWND box = makeMessageBox(window_, utf8_to_wstring(text), 20, 15, 360, height_ - 25, true, kToastGrey,
                            font_.get(),
                            "wv===>VemoSDK::VemoToast::show, create messageWindow failed, RICHEDIT_CLASSW is NULL， "
                            "may LoadLibrary Riched20.dll fail.");
  // White text on the toast's grey, in the rich edit as in the fallback.
  CHARFORMAT2W format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = RGB(255, 255, 255);
  SendMessageW(box, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  ShowWindow(window_, SW_SHOWNOACTIVATE);
}

void VemoToast::closeWindow() {
  if (window_) toasts().erase(window_);  // our own destruction, not a dismissal
  HWND window = window_;
  window_ = nullptr;
  if (window && IsWindow(window)) DestroyWindow(window);
  font_.reset();
  richEdit_.reset();
}

void VemoToast::hide() {
  closeWindow();
  vemo_debug_print("wv===>VemoSDK::VemoToast::hide function called");
}

void VemoToast::destroy() {
  closeWindow();
  vemo_debug_print("wv===>VemoSDK::VemoToast::destroy function called------");
}

LRESULT CALLBACK VemoToast::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = toasts().find(window);
  if (found == toasts().end()) return DefWindowProcW(window, message, wParam, lParam);
  VemoToast* toast = found->second;
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, kToastGrey);
      return reinterpret_cast<LRESULT>(toastBrush());
    }
    case WM_CLOSE: {
      // Alt+F4: the toast goes as if Lua had closed it.
      toast->hide();
      std::function<void()> callback = toast->closeCallback_;
      if (callback) callback();  // may delete the toast
      return 0;
    }
    case WM_DESTROY:
      toasts().erase(found);
      toast->window_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace VemoSDK
