#pragma once
// The child window a web view is shown in: it paints the latest frame of the
// page and turns its mouse, wheel and keyboard input into DevTools input
// events. UI thread only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/owners.h"
#include "webview/engine/web_engine.h"

namespace VemoSDK {
namespace WebEngine {

class PageWindow {
public:
  using InputSink = std::function<void(const char* method, vemo::JsonPtr params)>;

  static std::unique_ptr<PageWindow> create(HWND parent, const RECT& bounds, InputSink input);
  ~PageWindow();

  HWND handle() const { return window_; }
  // Decodes a PNG or JPEG frame and paints it from the top left corner;
  // false when the bytes are no picture.
  bool showFrame(const std::string& imageBytes);
  void setBackground(Color color);
  void setTimerCallback(std::function<void()> callback) { timerCallback_ = std::move(callback); }
  void startTimer(UINT milliseconds);

private:
  PageWindow() = default;
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  void paint();
  void mouse(const char* type, LPARAM lparam, WPARAM wparam, const char* button);
  void wheel(WPARAM wparam, LPARAM lparam);
  void key(const char* type, WPARAM wparam, LPARAM lparam);
  void character(WPARAM wparam);

  HWND window_ = nullptr;
  InputSink input_;
  vemo::UniqueGdiObject<HBITMAP> frame_;
  SIZE frameSize_{0, 0};
  Color background_;
  wchar_t highSurrogate_ = 0;
  std::function<void()> timerCallback_;
};

}  // namespace WebEngine
}  // namespace VemoSDK
