#include "webview/engine/ui_thread_poster.h"

#include "core/debug_log.h"

namespace VemoSDK {
namespace WebEngine {

namespace {

constexpr UINT kRunQueuedMessage = WM_APP + 0x2A1;
constexpr const wchar_t* kWindowClass = L"VemoWebEngineDispatch";

// The thread's poster lives as long as the thread: handlers hold it only
// weakly through the objects that post to it.
thread_local std::shared_ptr<UiThreadPoster> t_poster;

}  // namespace

std::shared_ptr<UiThreadPoster> UiThreadPoster::forCurrentThread() {
  if (t_poster) return t_poster;
  static ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &UiThreadPoster::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc);
  }();
  if (!atom) return nullptr;
  std::shared_ptr<UiThreadPoster> poster(new UiThreadPoster());
  poster->threadId_ = GetCurrentThreadId();
  poster->window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  if (!poster->window_) {
    vemo_debug_printf("web engine: no dispatch window on this thread (%lu)\n", GetLastError());
    return nullptr;
  }
  SetWindowLongPtrW(poster->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(poster.get()));
  t_poster = poster;
  return poster;
}

UiThreadPoster::~UiThreadPoster() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    // Only the owning thread may destroy the window; at its exit the system does.
    if (GetCurrentThreadId() == threadId_) DestroyWindow(window_);
    window_ = nullptr;
  }
}

bool UiThreadPoster::post(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!window_) return false;
  queue_.push_back(std::move(work));
  if (!wakePending_) {
    if (!PostMessageW(window_, kRunQueuedMessage, 0, 0)) {
      queue_.pop_back();
      return false;
    }
    wakePending_ = true;
  }
  return true;
}

void UiThreadPoster::runQueued() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(queue_);
    wakePending_ = false;
  }
  // Nothing may leave a window procedure by exception.
  for (auto& work : batch) {
    try {
      work();
    } catch (...) {
      vemo_debug_printf("web engine: a callback failed with an exception\n");
    }
  }
}

LRESULT CALLBACK UiThreadPoster::windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunQueuedMessage) {
    auto* poster = reinterpret_cast<UiThreadPoster*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (poster) poster->runQueued();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace WebEngine
}  // namespace VemoSDK
