#include "webview/overlay/loading_animation.h"

#include "core/base64.h"
#include "core/debug_log.h"
#include "core/owners.h"
#include "webview/overlay/gdiplus_session.h"
#include "webview/overlay/loading_frames.h"

#include <process.h>

#include <string>
#include <vector>

namespace VemoSDK {
namespace {

constexpr DWORD kHalfFrameMs = 15;

// Everything the drawing thread uses; the thread owns and frees it.
struct AnimationRecord {
  HWND window = nullptr;
  LoadingRunFlag running;
  std::vector<std::string> frames;
};

// The window's device context, released by the thread that took it.
class WindowDc {
public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

private:
  HWND window_;
  HDC dc_;
};

void drawFrames(const AnimationRecord& record) {
  GdiplusSession gdiplus;
  if (!gdiplus.started()) return;
  WindowDc dc(record.window);
  if (!dc.get()) return;
  RECT client = {};
  GetClientRect(record.window, &client);
  vemo_debug_print("vemo_gif: looping start");
  std::vector<std::unique_ptr<Gdiplus::Image>> images;
  for (const std::string& frame : record.frames) {
    std::vector<unsigned char> bytes = base64_decode_string(frame);
    if (Gdiplus::Image* image = decodeGdiplusImage(bytes.data(), bytes.size())) images.emplace_back(image);
  }
  if (images.empty()) return;
  Gdiplus::Graphics graphics(dc.get());
  std::atomic<bool>& running = *record.running;
  while (running) {
    for (const auto& image : images) {
      if (!running) break;
      graphics.DrawImage(image.get(), 0, 0, client.right - client.left, client.bottom - client.top);
      Sleep(kHalfFrameMs);
      if (!running) break;
      Sleep(kHalfFrameMs);
    }
  }
}

unsigned __stdcall drawingThread(void* argument) {
  std::unique_ptr<AnimationRecord> record(static_cast<AnimationRecord*>(argument));
  DWORD id = GetCurrentThreadId();
  vemo_debug_printf("vemo_png: start drawing, tid=%lu", static_cast<unsigned long>(id));
  drawFrames(*record);
  vemo_debug_print("wv===>vemo_show_frame_png, loading stop");
  record.reset();
  vemo_debug_printf("vemo_png: stop drawing, tid=%lu", static_cast<unsigned long>(id));
  return 0;
}

}  // namespace

bool startLoadingAnimation(HWND window, LoadingRunFlag running) {
  vemo_debug_print("vemo_gif: start");
  if (!running) return false;
  auto record = std::make_unique<AnimationRecord>();
  record->window = window;
  record->running = std::move(running);
  const char* const* frames = loadingFrames();
  for (int i = 0; i < loadingFrameCount(); ++i) record->frames.emplace_back(frames[i]);
  uintptr_t thread = _beginthreadex(nullptr, 0, drawingThread, record.get(), CREATE_SUSPENDED, nullptr);
  if (!thread) return false;
  record.release();  // the thread frees it
  // The thread runs on detached; it needs no handle of its own.
  vemo::UniqueHandle handle(reinterpret_cast<HANDLE>(thread));
  ResumeThread(handle.get());
  return true;
}

}  // namespace VemoSDK
