#include "webview/popups/vemo_alert.h"

#include "core/debug_log.h"
#include "core/lua_posts.h"
#include "core/text_convert.h"

#include <map>
#include <memory>

namespace VemoSDK {
namespace {

constexpr const wchar_t* kBackgroundClass = L"VemoSDKAlertViewBackGround";
constexpr const wchar_t* kContentClass = L"VemoSDKAlertViewContent";
constexpr int kFirstButton = 10001;
constexpr int kSecondButton = 10002;
constexpr int kDismissed = -1;
const COLORREF kPaper = RGB(247, 252, 255);
const COLORREF kInk = RGB(32, 37, 57);

// Content window -> its alert (UI thread).
std::map<HWND, VemoAlert*>& alerts() {
  static std::map<HWND, VemoAlert*> map;
  return map;
}

HBRUSH paperBrush() {
  static HBRUSH brush = CreateSolidBrush(kPaper);  // one for the process
  return brush;
}

}  // namespace

VemoAlert::VemoAlert(HWND owner, int left, int top, int right, int bottom, DWORD style, int width, int height)
    : owner_(owner), area_{left, top, right, bottom}, width_(width), height_(height), style_(style) {}

VemoAlert::~VemoAlert() { closeWindows(); }

void VemoAlert::show(const std::string& title, const std::string& message, int kind, const std::string& first,
                     const std::string& second, int64_t callbackId) {
  if (content_) {
    vemo_debug_print("wv===>VemoSDK::VemoAlert::show, alert _running true");
    return;
  }
  if (!registerPopupClass(kBackgroundClass, DefWindowProcW, RGB(0, 0, 0)) ||
      !registerPopupClass(kContentClass, procedure, kPaper))
    return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  int areaWidth = area_.right - area_.left;
  int areaHeight = area_.bottom - area_.top;
  background_ = CreateWindowExW(WS_EX_LAYERED, kBackgroundClass, L"", style_, area_.left, area_.top, areaWidth,
                                areaHeight, owner_, nullptr, instance, nullptr);
  if (!background_) {
    vemo_debug_print("wv===>VemoSDK::VemoAlert::show, create window failed, _background_window is NULL");
    return;
  }
  SetLayeredWindowAttributes(background_, 0, 128, LWA_ALPHA);
  richEdit_ = std::make_unique<RichEditLibrary>();
  int left = area_.left + (areaWidth - width_) / 2;
  int top = area_.top + (areaHeight - height_) / 2;
  vemo_debug_printf("wv===>VemoSDK::VemoAlert::show, left = %d, top = %d, right = %d, bottom = %d", left, top,
                    left + width_, top + height_);
  content_ = CreateWindowExW(WS_EX_LAYERED, kContentClass, L"", style_, left, top, width_, height_, background_,
                             nullptr, instance, nullptr);
  if (!content_) {
    vemo_debug_print("wv===>VemoSDK::VemoAlert::show, create window failed, _loading_window is NULL");
    closeWindows();
    return;
  }
  alerts()[content_] = this;
  SetLayeredWindowAttributes(content_, 0, 255, LWA_ALPHA);
  if (owner_) EnableWindow(owner_, FALSE);
  SetWindowRgn(content_, CreateRoundRectRgn(0, 0, width_ + 1, height_ + 1, 16, 16), TRUE);

  callbackId_ = callbackId;
  kind_ = kind == 2 ? 2 : 1;
  firstText_ = utf8_to_wstring(first);
  secondText_ = utf8_to_wstring(second);
  titleFont_.reset(makePopupFont(16, 700));
  messageFont_.reset(makePopupFont(14, 400));
  buttonFont_.reset(makePopupFont(16, 400));
  HWND titleBox = CreateWindowExW(0, L"Static", utf8_to_wstring(title).c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER,
                                  100, 10, 200, 50, content_, nullptr, instance, nullptr);
  SendMessageW(titleBox, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
  int messageHeight = height_ - 140;
  makeMessageBox(content_, utf8_to_wstring(message), 20, 70, 360, messageHeight, centred_, kPaper,
                 messageFont_.get(),
                 "wv===>VemoSDK::VemoAlert::show, create messageWindow failed, RICHEDIT_CLASSW is NULL， may "
                 "LoadLibrary Riched20.dll fail.");
  int buttonTop = 70 + messageHeight + 10;
  auto button = [&](int id, int x) {
    HWND control = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, x, buttonTop, 120, 40,
                                   content_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(buttonFont_.get()), TRUE);
  };
  if (kind_ == 2) {
    button(kFirstButton, 40);
    button(kSecondButton, 240);
  } else {
    button(kFirstButton, 140);
  }
  ShowWindow(background_, SW_SHOW);
  ShowWindow(content_, SW_SHOW);
}

void VemoAlert::closeWindows() {
  // Out of the map first: this destruction is ours, not a dismissal.
  if (content_) alerts().erase(content_);
  HWND content = content_, background = background_;
  content_ = background_ = nullptr;
  if (content && IsWindow(content)) DestroyWindow(content);
  if (background && IsWindow(background)) DestroyWindow(background);
  titleFont_.reset();
  messageFont_.reset();
  buttonFont_.reset();
  richEdit_.reset();
  firstText_.clear();
  secondText_.clear();
}

void VemoAlert::hide() {
  closeWindows();
  // The owner may be gone already; these calls then simply fail.
  EnableWindow(owner_, TRUE);
  SetWindowPos(owner_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  vemo_debug_print("wv===>VemoSDK::VemoAlert::hide function called");
  // Last: the callback may delete this alert.
  std::function<void()> callback = closeCallback_;
  if (callback) callback();
}

void VemoAlert::destroy() {
  closeWindows();
  EnableWindow(owner_, TRUE);
  SetWindowPos(owner_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  vemo_debug_print("wv===>VemoSDK::VemoAlert::destroy function called------");
}

void VemoAlert::onButton(int index) {
  postAsyncIndex(callbackId_, index);
  hide();
}

void VemoAlert::drawButton(const DRAWITEMSTRUCT& item) const {
  bool second = item.CtlID == kSecondButton;
  bool primary = second || kind_ != 2;
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  COLORREF fill = primary ? (pressed ? RGB(102, 163, 255) : RGB(65, 140, 255)) : RGB(255, 255, 255);
  COLORREF border = primary ? fill : (pressed ? RGB(215, 218, 222) : RGB(205, 209, 214));
  COLORREF text = primary ? RGB(255, 255, 255) : (pressed ? RGB(76, 80, 96) : kInk);
  HDC dc = item.hDC;
  // The corners outside the rounded button show the dialog's paper.
  FillRect(dc, &item.rcItem, paperBrush());
  vemo::UniqueGdiObject<HBRUSH> brush(CreateSolidBrush(fill));
  vemo::UniqueGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, border));
  HGDIOBJ oldBrush = SelectObject(dc, brush.get());
  HGDIOBJ oldPen = SelectObject(dc, pen.get());
  RoundRect(dc, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom, 10, 10);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  const std::wstring& label = second ? secondText_ : firstText_;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  HGDIOBJ oldFont = SelectObject(dc, buttonFont_.get());
  RECT box = item.rcItem;
  DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK VemoAlert::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = alerts().find(window);
  if (found == alerts().end()) return DefWindowProcW(window, message, wParam, lParam);
  VemoAlert* alert = found->second;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kFirstButton:
          vemo_debug_print("click first button\n");
          alert->onButton(0);
          return 0;
        case kSecondButton:
          vemo_debug_print("click second button\n");
          alert->onButton(1);
          return 0;
        default:
          vemo_debug_print("click alert other area\n");
          return 0;
      }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kInk);
      SetBkColor(dc, kPaper);
      return reinterpret_cast<LRESULT>(paperBrush());
    }
    case WM_DRAWITEM:
      alert->drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      // Alt+F4 and the like: a dismissal, answered like a choice; never the
      // end of the program.
      vemo_debug_print("alert dismissed\n");
      alert->onButton(kDismissed);
      return 0;
    case WM_DESTROY:
      // Destroyed from outside (its owner went): the alert forgets the window.
      alerts().erase(found);
      alert->content_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace VemoSDK
