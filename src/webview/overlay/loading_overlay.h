#pragma once
// The small rounded, animated window centred over a parent while something
// loads (the loading pop-up, web view windows during navigation). It follows
// its parent when the parent moves. UI thread only: the window, the
// parent-to-overlay map and the move hook belong to the thread that starts it.
#include "webview/overlay/loading_animation.h"

#include <windows.h>

namespace VemoSDK {

class Loading {
public:
  Loading(HWND parent, int left, int top, int right, int bottom, DWORD style, int width, int height);
  ~Loading();
  Loading(const Loading&) = delete;
  Loading& operator=(const Loading&) = delete;

  // Creates the window once, starts the animation when it is not running,
  // shows the window and follows the parent's moves.
  void start();
  // Hides the window and stops the animation; stops following the parent.
  void stop();
  void show(bool visible);
  // Centres the window on the rectangle (its size stays).
  void moveTo(int left, int top, int right, int bottom);

  HWND window() const { return window_; }
  HWND parent() const { return parent_; }
  bool running() const { return running_; }

  // The overlay started over a parent, or null.
  static Loading* forParent(HWND parent);

private:
  POINT centredOrigin() const;
  void followParent();
  void stopFollowing();

  HWND window_ = nullptr;
  HWND parent_;
  RECT area_;
  int width_;
  int height_;
  DWORD style_;
  LoadingRunFlag runFlag_;
  bool running_ = false;
  bool following_ = false;
};

}  // namespace VemoSDK
