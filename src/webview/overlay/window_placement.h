#pragma once
// Small window operations the overlay's users share.
#include <windows.h>

namespace VemoSDK {

// The window's screen rectangle grown symmetrically to at least the minimum
// size (half of the difference, rounded down, goes to the left and top).
RECT centreRect(HWND window, int minimumWidth = 40, int minimumHeight = 40);
// The first visible top-level window of this process that has no owner, or null.
HWND findMainWindow();
// With both set: enables the first, shows the second normally, brings it to
// the foreground and updates it.
void activateWindow(HWND toEnable, HWND toShow, bool flag);

}  // namespace VemoSDK
