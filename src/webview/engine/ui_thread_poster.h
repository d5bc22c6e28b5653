#pragma once
// Runs work on one UI thread: post() from any thread queues a function, and
// the thread's message loop runs it through a hidden message window. Every
// engine callback reaches its UI thread this way.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace VemoSDK {
namespace WebEngine {

class UiThreadPoster {
public:
  // The poster of the calling thread, made on first use; null when its
  // window cannot be created.
  static std::shared_ptr<UiThreadPoster> forCurrentThread();
  ~UiThreadPoster();

  DWORD threadId() const { return threadId_; }
  // Queues work for the UI thread; false once the thread's window is gone.
  bool post(std::function<void()> work);

private:
  UiThreadPoster() = default;
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void runQueued();

  HWND window_ = nullptr;
  DWORD threadId_ = 0;
  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
  bool wakePending_ = false;
};

}  // namespace WebEngine
}  // namespace VemoSDK
