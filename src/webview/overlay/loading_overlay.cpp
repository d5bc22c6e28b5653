#include "webview/overlay/loading_overlay.h"

#include "core/debug_log.h"

#include <map>

namespace VemoSDK {
namespace {

constexpr const char* kLoadingClass = "VemoSdkLoadingView";

// Parent window -> its overlay, for the move hook (UI thread).
std::map<HWND, Loading*>& overlays() {
  static std::map<HWND, Loading*> map;
  return map;
}

void CALLBACK onParentMoved(HWINEVENTHOOK, DWORD event, HWND window, LONG, LONG, DWORD, DWORD) {
  if (event != EVENT_SYSTEM_MOVESIZEEND && event != EVENT_OBJECT_LOCATIONCHANGE) return;
  auto found = overlays().find(window);
  if (found == overlays().end() || !found->second->parent()) return;
  RECT rect = {};
  if (!GetWindowRect(window, &rect)) return;
  found->second->moveTo(rect.left, rect.top, rect.right, rect.bottom);
}

// One move hook per thread, shared by every overlay that follows a parent
// there, and removed with the last of them.
struct ThreadMoveHook {
  HWINEVENTHOOK hook = nullptr;
  int users = 0;
};
thread_local ThreadMoveHook moveHook;

bool registerLoadingClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.lpszClassName = kLoadingClass;
  registered = RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered;
}

}  // namespace

Loading::Loading(HWND parent, int left, int top, int right, int bottom, DWORD style, int width, int height)
    : parent_(parent), area_{left, top, right, bottom}, width_(width), height_(height), style_(style) {}

Loading::~Loading() {
  vemo_debug_print("wv===>VemoSDK::Loading::destroy function called------");
  stopFollowing();
  if (runFlag_) *runFlag_ = false;
  auto found = overlays().find(parent_);
  if (found != overlays().end() && found->second == this) overlays().erase(found);
  if (window_ && IsWindow(window_)) {
    DestroyWindow(window_);
  } else {
    vemo_debug_print("loading window is null or is not window");
  }
}

Loading* Loading::forParent(HWND parent) {
  auto found = overlays().find(parent);
  return found == overlays().end() ? nullptr : found->second;
}

POINT Loading::centredOrigin() const {
  return POINT{(area_.right - area_.left) / 2 + area_.left - width_ / 2,
               (area_.bottom - area_.top) / 2 + area_.top - height_ / 2};
}

void Loading::start() {
  if (!window_) {
    if (!registerLoadingClass()) return;
    POINT origin = centredOrigin();
    window_ = CreateWindowExA(0, kLoadingClass, "", style_, origin.x, origin.y, width_, height_, parent_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_) return;
    overlays()[parent_] = this;
    vemo_debug_printf("location = %ld, _loading_window = %p, _parent_window = %p \n", static_cast<long>(origin.x),
                      static_cast<void*>(window_), static_cast<void*>(parent_));
    SetWindowLongA(window_, GWL_EXSTYLE, GetWindowLongA(window_, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window_, 0, 255, LWA_ALPHA);
    EnableWindow(window_, FALSE);  // it takes no input
    SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    HRGN region = CreateRoundRectRgn(0, 0, width_ + 1, height_ + 1, 16, 16);
    if (region && !SetWindowRgn(window_, region, TRUE)) DeleteObject(region);  // the window owns it once set
  }
  if (!running_) {
    runFlag_ = std::make_shared<std::atomic<bool>>(true);
    running_ = true;
    startLoadingAnimation(window_, runFlag_);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    vemo_debug_print("wv===>VemoBrowser::open, loading _running true");
  }
  followParent();
}

void Loading::stop() {
  if (running_) {
    if (window_) ShowWindow(window_, SW_HIDE);
    *runFlag_ = false;  // the animation thread ends by itself
    runFlag_.reset();
    running_ = false;
    vemo_debug_print("wv===>VemoBrowser::hide, loading _running false");
  }
  stopFollowing();
}

void Loading::show(bool visible) {
  if (window_) ShowWindow(window_, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void Loading::moveTo(int left, int top, int right, int bottom) {
  area_ = RECT{left, top, right, bottom};
  if (!window_) return;
  POINT origin = centredOrigin();
  SetWindowPos(window_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void Loading::followParent() {
  if (following_) return;
  if (moveHook.users == 0) {
    moveHook.hook = SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr, onParentMoved,
                                    GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
  }
  ++moveHook.users;
  following_ = true;
}

void Loading::stopFollowing() {
  if (!following_) return;
  following_ = false;
  if (--moveHook.users > 0) return;
  if (moveHook.hook) UnhookWinEvent(moveHook.hook);
  moveHook.hook = nullptr;
}

}  // namespace VemoSDK
