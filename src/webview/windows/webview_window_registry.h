#pragma once
// The process-wide records of the web view windows, for their hooks and
// deferred work. UI thread only, no lock.
#include "webview/windows/window_hook_owners.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <vector>

namespace VemoSDK {

class VemoWebViewWindow;

struct WebViewWindowRegistry {
  // Live windows and the serial each got: deferred work that outlives its
  // window cannot mistake a new window at the same address for it.
  std::map<const VemoWebViewWindow*, uint64_t> live;
  uint64_t lastSerial = 0;
  // A parent's list exists from its first window to its last.
  std::map<HWND, std::vector<VemoWebViewWindow*>> byParent;
  std::map<HWND, VemoWebViewWindow*> byHandle;
  // Installed with the first window on a parent, removed when byParent empties.
  UniqueWindowsHook mouseHook;
};

WebViewWindowRegistry& webViewWindows();

}  // namespace VemoSDK
